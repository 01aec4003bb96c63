#ifndef LYSDK_LYMODEL_H
#define LYSDK_LYMODEL_H

// LyModel: the wrapper of a host model, an object of the scene's hierarchy.
//
// This first form carries the hierarchy (Parent and Children) and the
// picking colour; transforms, geometry and the model kinds come with the
// rest of the model family.

#include "lysdk/lybox.h"

LYSDK_BEGIN_NAMESPACE

class LyModel;

/// The child models of a model, in the host's child order. Adding a model
/// makes it the last child; removing one moves it to the top level of the
/// scene.
class LYSDK_API LyPropertyListModel : public LyPropertyBaseList<LyModel*> {
public:
    LyPropertyType GetPropertyType() const override { return kLyPropertyTypeObject; }
    int GetCount() override;
    LyModel* GetAt(int index) override;
    void RemoveAt(int index) override;
    /// Makes `model` the last child; returns the count afterwards, or -1
    /// when the host refuses (a model cannot become its own descendant).
    int Add(LyModel* model);
};

/// A model is a box: relations read and drive its transform.
class LYSDK_API LyModel : public LyBox {
    LYSDK_CLASS_DECLARE(LyModel, LyBox)
public:
    /// Wraps the host model `object`.
    explicit LyModel(HIObject object);
    /// A new host model called `name` (owned by this wrapper), or the
    /// wrapper of `object` when one is given.
    explicit LyModel(const char* name, HIObject object = nullptr);

    /// The picking colour's components (bytes / 255) and the sub-item
    /// colours beyond it.
    LyColor GetUniqueColorId() const;
    int GetAdditionalUniqueColorIDCount() const;
    void SetAdditionalUniqueColorIDCount(int count);
    /// The colour of sub-item `index` (1 to the count); black out of range.
    LyColor GetAdditionalUniqueColorID(int index) const;

    /// The child models.
    LyPropertyListModel Children;
    /// The parent model; null for a model at the top level of the scene.
    /// Setting null (or the model itself) moves it to the top level.
    LyPropertyBaseComponent<LyModel*> Parent;

private:
    void InitModelProperties();
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYMODEL_H
