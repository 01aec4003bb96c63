#ifndef LYSDK_LYMODELTEMPLATE_H
#define LYSDK_LYMODELTEMPLATE_H

// Model templates: the shape of the models a device drives.
//
// A device describes what it animates as a tree of templates (a skeleton's
// joints, a glove's hand parts) under its ModelTemplate root. Binding the
// first template to a scene model binds each child template to the child
// model of the same name; with no model given, the host builds one model
// per template, of the template's type, with its default values. Each
// animation node in a template's Bindings (an output of the device) drives
// the bound model's property named by the node's Label, or by its name
// when the label is empty:
//
//     LyAnimationNode* elbow = AnimationNodeOutCreate(1, "Elbow Rotation", "Vector");
//     elbow->Label = "Lcl Rotation";
//     LyModelTemplate* joint = new LyModelTemplate("Elbow", kLyModelTemplateSkeleton);
//     joint->Bindings.Add(elbow);
//     shoulder->Children.Add(joint);
//
// While the device is online and live, every evaluation writes the
// outputs' values into the bound properties; while the transport records,
// those properties are what the device's recorded outputs are keyed into.

#include "lysdk/lyanimationnode.h"
#include "lysdk/lycomponent.h"
#include "lysdk/lyenumtexts.h"
#include "lysdk/lyvector.h"

LYSDK_BEGIN_NAMESPACE

class LyModel;
class LyModelTemplate;

/// The kind of model the host builds for a template.
enum LyModelTemplateType {
    kLyModelTemplateNull = 0,      ///< a null model (a plain transform)
    kLyModelTemplateSkeleton = 1,  ///< a skeleton joint
    kLyModelTemplateRoot = 2,      ///< a skeleton's root
};
LYSDK_ENUM_TEXTS(LyModelTemplateType);

/// The child templates, in order. Adding a template moves it under this
/// one (it leaves its previous parent); the tree takes ownership of it.
class LYSDK_API LyPropertyListModelTemplate : public LyPropertyBaseList<LyModelTemplate*> {
public:
    LyPropertyListModelTemplate& Init(LyModelTemplate* owner, const char* name);
    LyPropertyType GetPropertyType() const override { return kLyPropertyTypeObject; }
    int GetCount() override;
    LyModelTemplate* GetAt(int index) override;
    /// The template leaves the tree (and ends with its wrapper).
    void RemoveAt(int index) override;
    /// Returns the count afterwards, or -1 when refused (null, or the
    /// template is this one or above it).
    int Add(LyModelTemplate* child);

private:
    LyModelTemplate* mOwner = nullptr;
};

/// The device outputs that drive the bound model.
class LYSDK_API LyPropertyListModelTemplateBinding : public LyPropertyBaseList<LyAnimationNode*> {
public:
    LyPropertyListModelTemplateBinding& Init(LyModelTemplate* owner, const char* name);
    LyPropertyType GetPropertyType() const override { return kLyPropertyTypeObject; }
    int GetCount() override;
    LyAnimationNode* GetAt(int index) override;
    void RemoveAt(int index) override;
    /// Returns the count afterwards, or -1 for a node that is not a box
    /// output or is bound already.
    int Add(LyAnimationNode* node);

private:
    LyModelTemplate* mOwner = nullptr;
};

class LYSDK_API LyModelTemplate : public LyComponent {
    LYSDK_CLASS_DECLARE(LyModelTemplate, LyComponent)
public:
    /// A new template (owned by this wrapper until a tree takes it), or the
    /// wrapper of `object` when one is given.
    explicit LyModelTemplate(const char* name, LyModelTemplateType type = kLyModelTemplateNull,
                             HIObject object = nullptr);
    /// Wraps the host template `object`.
    explicit LyModelTemplate(HIObject object);

    LyPropertyListModelTemplate Children;
    LyPropertyListModelTemplateBinding Bindings;
    /// The model the template is bound to (read only: bind through the
    /// device's ModelBindingRoot).
    LyPropertyBaseComponent<LyModel*> Model;
    LyPropertyBaseEnum<LyModelTemplateType> Type;
    /// The values a built model starts with (rotation in degrees).
    LyPropertyVector3d DefaultTranslation;
    LyPropertyVector3d DefaultRotation;
    LyPropertyVector3d DefaultScaling;

private:
    void InitTemplateProperties();
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYMODELTEMPLATE_H
