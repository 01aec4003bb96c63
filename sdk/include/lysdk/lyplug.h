#ifndef LYSDK_LYPLUG_H
#define LYSDK_LYPLUG_H

// LyPlug: the base of every SDK wrapper, and the host's connection graph.
//
// A plug wraps one host object (its HIObject). Through it an extension walks
// and edits the host's connections: each host plug has ordered sources and
// destinations, an owner and owned plugs, and a modification flags word.
// Every operation first resolves the host plug; a missing one, a null
// argument or an index outside [0, count) returns the neutral result
// (false, 0 or null) without reaching the host. Plugs that come back from the
// host are turned into their wrappers, created on first use.

#include "lysdk/lyarray.h"
#include "lysdk/lyenumtexts.h"
#include "lysdk/lyobject.h"

LYSDK_BEGIN_NAMESPACE

/// Connection kinds; passed to and from the host unchanged.
enum LyConnectionType { kLyConnectionTypeNone = 0, kLyConnectionTypeSystem = 1 };
LYSDK_ENUM_TEXTS(LyConnectionType);

/// Action codes of plug notifications; passed unchanged between the host and
/// the SDK.
enum LyConnectionAction {
    kLyRequestConnectSrc = 0,
    kLyRequestConnectDst,
    kLyConnectSrc,
    kLyConnectDst,
    kLyConnectedSrc,
    kLyConnectedDst,
    kLyRequestDisconnectSrc,
    kLyRequestDisconnectDst,
    kLyDisconnectSrc,
    kLyDisconnectDst,
    kLyDisconnectedSrc,
    kLyDisconnectedDst,
    kLyBeginReplaceSrc,
    kLyEndReplaceSrc,
    kLyBeginReplaceDst,
    kLyEndReplaceDst,
    kLyReorderSrc,
    kLyReorderedSrc,
    kLyBeginChange,
    kLyEndChange,
    kLyConnectedOwner,
    kLyDisconnectOwner,
    kLyCandidate,
    kLyCandidated,
    kLyCandidateGlobal,
    kLyDetached,
    kLyDestroy,
    kLySelect,
    kLyUnselect,
    kLyReselect,
    kLyRquestRename,
    kLyRename,
    kLyRenamed,
    kLyRequestPrefixRename,
    kLyPrefixRename,
    kLyPrefixRenamed,
    kLyDescription,
    kLyKeyingKey,
    kLyKeyingDeleteKey,
    kLyKeyingCandidate,
    kLyKeyingCurveChange,
    kLyKeyingCurveEndChange
};
LYSDK_ENUM_TEXTS(LyConnectionAction);

/// Masks of the plug's flags word that the SDK may touch.
constexpr unsigned int kLyContentModifiedMask = 0x142a00;
constexpr unsigned int kLySelfModifiedMask = 0xbd500;
constexpr unsigned int kLyStatusFlagMask = 0x200000;

/// An object a scripting layer attaches to a wrapper. It is not owned; it is
/// told when the wrapper goes away.
class LYSDK_API LyScriptWrapper {
public:
    virtual ~LyScriptWrapper();
    /// Called once per attachment when the wrapped object is destroyed.
    virtual void WrappedObjectDestroyed() = 0;
};

/// Holds the script wrappers attached to an SDK object.
class LYSDK_API LyWrapperHolder {
public:
    LyWrapperHolder();
    virtual ~LyWrapperHolder();
    LyWrapperHolder(const LyWrapperHolder&) = delete;
    LyWrapperHolder& operator=(const LyWrapperHolder&) = delete;

    /// Appends, duplicates included.
    void AddWrapper(LyScriptWrapper* wrapper);
    /// Removes the first equal entry.
    void RemoveWrapper(LyScriptWrapper* wrapper);
    /// The first entry, or null.
    LyScriptWrapper* GetWrapper() const;

private:
    LyArrayTemplate<void*> mWrappers;
};

class LYSDK_API LyPlug : public ICallback, public LyWrapperHolder {
public:
    explicit LyPlug(HIObject object = nullptr);
    ~LyPlug() override;

    // IObject
    /// Itself for ids 0 and 2, the HIObject for the plug id, else null.
    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    /// Detaches (SetHIObject(null, false)), then deletes heap wrappers.
    void Destroy(int mode = 0) override;

    virtual HIObject GetHIObject() const;
    /// Returns true; components override it to bind and detach.
    virtual bool SetHIObject(HIObject object, bool owns);
    virtual const char* ClassName() const;
    virtual bool Is(int typeId) const;
    virtual int GetTypeId() const;

    /// Host notifications about this plug; return false to refuse the change.
    virtual bool PlugDataNotify(LyConnectionAction action, LyPlug* plug, void* data = nullptr,
                                void* oldData = nullptr, int dataSize = 0);
    virtual bool PlugStateNotify(LyConnectionAction action, LyPlug* plug, void* data = nullptr,
                                 void* oldData = nullptr, int dataSize = 0);
    virtual bool PlugNotify(LyConnectionAction action, LyPlug* plug, int index,
                            LyPlug* plug2 = nullptr, LyConnectionType type = kLyConnectionTypeNone,
                            LyPlug* plug3 = nullptr);

    static int TypeInfo;
    static int mGlobalTypeInfo;
    static const char* ClassGroupName;
    /// The host plug class id.
    static int GetInternalClassId();
    /// Prints the host's class definitions to the trace output.
    static void PrintClassDefinitions();

    // Sources and destinations.
    int GetSrcCount();
    LyPlug* GetSrc(int index);
    LyConnectionType GetSrcType(int index);
    bool ConnectSrc(LyPlug* plug, LyConnectionType type = kLyConnectionTypeNone);
    bool ConnectSrcAt(int index, LyPlug* plug, LyConnectionType type = kLyConnectionTypeNone);
    bool DisconnectSrc(LyPlug* plug);
    bool DisconnectSrcAt(int index);
    void DisconnectAllSrc();
    bool ReplaceSrcAt(int index, LyPlug* plug);
    bool SwapSrc(int index, int otherIndex);
    bool MoveSrcAt(int from, int to);
    bool MoveSrcAt(LyPlug* plug, LyPlug* beforePlug);

    int GetDstCount();
    LyPlug* GetDst(int index);
    LyConnectionType GetDstType(int index);
    bool ConnectDst(LyPlug* plug, LyConnectionType type = kLyConnectionTypeNone);
    bool ConnectDstAt(int index, LyPlug* plug, LyConnectionType type = kLyConnectionTypeNone);
    bool DisconnectDst(LyPlug* plug);
    bool DisconnectDstAt(int index);
    void DisconnectAllDst();
    bool ReplaceDstAt(int index, LyPlug* plug);

    // Ownership.
    LyPlug* GetOwner();
    int GetOwnedCount();
    LyPlug* GetOwned(int index);

    // Batches and flags.
    bool BeginChange();
    void EndChange();
    bool GetContentModified(unsigned int flag);
    void SetContentModified(unsigned int flag, bool on);
    bool GetSelfModified(unsigned int flag);
    void SetSelfModified(unsigned int flag, bool on);
    bool GetStatusFlag(unsigned int flag);
    void SetStatusFlag(unsigned int flag, bool on);
    bool RevertModification(unsigned int flag);
    /// Fills `list` (cleared first) with the plugs whose connection to this
    /// one changed since its file reference was loaded; `flag` picks the
    /// sides (1 sources, 2 destinations) and `added` whether to list new
    /// connections (true) or dropped ones (false). Returns the count.
    int GetPlugConnectionModifiedList(LyArrayTemplate<LyPlug*>& list, unsigned int flag,
                                      bool added);

    /// True when the wrapper created its host object or was bound owning it.
    bool IsSDKComponent() const;

protected:
    virtual void LyDelete();

    bool mAllocated;      ///< storage came from the library's allocator
    HIObject mHIObject;   ///< wrapped host object, not owned
    bool mSDKComponent;   ///< see IsSDKComponent

    friend class LyComponent;
};

/// Connects `first` as a source of `second` through the host.
LYSDK_API bool LyConnect(LyPlug* first, LyPlug* second,
                         LyConnectionType type = kLyConnectionTypeNone);
/// Drops the connection from `first` to `second`.
LYSDK_API bool LyDisconnect(LyPlug* first, LyPlug* second);

/// A new empty plug list (growth block 10), owned by the caller.
LYSDK_API LyArrayTemplate<LyPlug*>* LyCreatePlugList();
/// Frees a list from LyCreatePlugList; null is accepted.
LYSDK_API void LyDestroyPlugList(LyArrayTemplate<LyPlug*>* list);

struct __LyHostPlugHandle;

/// A weak handle to a plug: it reads null once the plug's host object ends.
class LYSDK_API HdlLyPlug {
public:
    HdlLyPlug(LyPlug* plug = nullptr);
    HdlLyPlug(const HdlLyPlug& other);
    ~HdlLyPlug();
    HdlLyPlug& operator=(const HdlLyPlug& other);
    HdlLyPlug& operator=(LyPlug* plug);

    /// True while the handle points at a living plug.
    bool Ok() const;
    /// The plug's wrapper, or null when not Ok.
    LyPlug* GetPlug() const;
    void SetPlug(LyPlug* plug);

    bool operator==(const HdlLyPlug& other) const { return GetPlug() == other.GetPlug(); }
    bool operator!=(const HdlLyPlug& other) const { return GetPlug() != other.GetPlug(); }
    operator LyPlug*() const { return GetPlug(); }
    LyPlug* operator->() const { return GetPlug(); }
    LyPlug* operator()() const { return GetPlug(); }
    bool Is(int typeId) const;

private:
    __LyHostPlugHandle* mHandle;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYPLUG_H
