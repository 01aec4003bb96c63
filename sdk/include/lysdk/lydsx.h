#ifndef LYSDK_LYDSX_H
#define LYSDK_LYDSX_H

// Scene-file storage of extension objects.
//
// When the host saves or loads a scene (".dsx" files), it stores or reads
// each object in several passes. For an object made by an extension, the
// bridge first lets the host store or read the host part, then hands a
// LyDsxObject and the pass bits to the extension's DsxStore or DsxRetrieve,
// which writes or reads its own named fields.
//
//   bool MyDevice::DsxStore(LyDsxObject* dsx, kDsxObjectStore pass) {
//       if (pass & kLyDsxStoreFields) dsx->FieldWriteInt("Channels", mChannels);
//       if (pass & kLyDsxStoreFields) dsx->FieldWriteObjectReference("Target", mTarget);
//       return true;
//   }
//   bool MyDevice::DsxRetrieve(LyDsxObject* dsx, kDsxObjectStore pass) {
//       if (pass & kLyDsxStoreFields) mChannels = dsx->FieldReadInt("Channels");
//       if (pass & kLyDsxStoreReferences)
//           mTarget = dsx->FieldReadObjectReference("Target");
//       return true;
//   }
//
// Field names are per object; writing a name again replaces the field. The
// library itself writes "Icon", "CommType", "SamplingMode" and
// "InstrumentActive" for devices, so extensions avoid those names.

#include "lysdk/lyenumtexts.h"
#include "lysdk/lyplug.h"

LYSDK_BEGIN_NAMESPACE

class LyComponent;

/// The pass bits of a store or retrieve call, handed over from the host
/// unchanged. One call may carry several bits.
enum kDsxObjectStore : unsigned int {
    kLyDsxStoreHeader = 0x1,      ///< objects are listed (store) or created (retrieve)
    kLyDsxStoreFields = 0x2,      ///< the pass that carries object fields
    kLyDsxStoreAnimation = 0x4,   ///< file properties and their curves
    kLyDsxStoreReferences = 0x8,  ///< after every object exists: references resolve
};
LYSDK_ENUM_TEXTS(kDsxObjectStore);

/// The scene-file storage of one object for one pass. It wraps the host's
/// per-object store and is valid for the duration of the call it is handed
/// to. Every operation on a LyDsxObject without a host store, or with a null
/// or empty field name, answers false, 0, "" or null.
class LYSDK_API LyDsxObject : public LyPlug {
    LYSDK_CLASS_DECLARE(LyDsxObject, LyPlug)
public:
    /// Wraps the host's store of one object (null makes an empty one).
    explicit LyDsxObject(HIObject store = nullptr);
    ~LyDsxObject() override;

    /// The pass bits of the current call.
    kDsxObjectStore GetPass() const;
    /// True during a store pass, false during a retrieve pass (or without a
    /// host store).
    bool IsStoring() const;
    bool IsRetrieving() const;

    // Store passes. False during a retrieve pass.
    bool FieldWriteInt(const char* name, int value);
    bool FieldWriteDouble(const char* name, double value);
    /// Null `value` is refused.
    bool FieldWriteString(const char* name, const char* value);
    /// Writes a reference to `object`, or the null reference for null.
    /// False when `object` is not stored in the same file (a reference to it
    /// could not be resolved on reading).
    bool FieldWriteObjectReference(const char* name, LyComponent* object);

    // Retrieve passes (also readable during a store pass).
    /// True when the object has a field of that name, of any type.
    bool FieldExists(const char* name) const;
    /// The integer field's value; 0 when absent or of another type. A value
    /// outside the int range (written by other tools) saturates.
    int FieldReadInt(const char* name) const;
    /// 0.0 when absent or of another type.
    double FieldReadDouble(const char* name) const;
    /// The text, or "" when absent or of another type. Valid until the
    /// call returns.
    const char* FieldReadString(const char* name) const;
    /// The referenced object's component, or null: absent, the null
    /// reference, or an object not yet created in this load (every object
    /// exists in the kLyDsxStoreReferences pass).
    LyComponent* FieldReadObjectReference(const char* name) const;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYDSX_H
