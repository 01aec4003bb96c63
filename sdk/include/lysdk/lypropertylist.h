#ifndef LYSDK_LYPROPERTYLIST_H
#define LYSDK_LYPROPERTYLIST_H

// List properties: properties whose value is a list of objects.
//
//  - LyPropertyBasicList: the base; its parent is the host object listed.
//  - LyPropertyBaseList<T>: Find, GetAt and Remove over any element type.
//  - LyPropertyListComponentBase / LyPropertyListComponent: the components
//    connected to the parent host object, as its sources or (for a list of
//    parents) as its destinations, restricted to one host class.
//  - LyPropertyListObject: the objects connected to a bound object-list host
//    property itself.
//  - LyPropertyListOf<T>: a typed list of components of class T; the
//    concrete lists (LyPropertyListModel, ...) are this over their member
//    type.

#include "lysdk/lyproperty.h"

LYSDK_BEGIN_NAMESPACE

class LyComponent;

class LYSDK_API LyPropertyBasicList : public LyProperty {
public:
    LyPropertyBasicList() = default;
    /// `parent` is the host object whose contents the list shows.
    LyPropertyBasicList& Init(void* parent, const char* name);

    bool IsList() const override { return true; }
    virtual int GetCount() = 0;
    virtual void RemoveAt(int index) = 0;
    /// RemoveAt(GetCount() - 1) until the list is empty.
    void RemoveAll();
};

template <class T>
class LyPropertyBaseList : public LyPropertyBasicList {
public:
    virtual T GetAt(int index) = 0;
    T operator[](int index) { return GetAt(index); }
    /// First index whose element equals `item`, or -1.
    virtual int Find(T item) {
        const int count = GetCount();
        for (int i = 0; i < count; ++i)
            if (GetAt(i) == item) return i;
        return -1;
    }
    /// Removes the first element equal to `item`; its index, or -1.
    virtual int Remove(T item) {
        const int at = Find(item);
        if (at >= 0) RemoveAt(at);
        return at;
    }
};

class LYSDK_API LyPropertyListComponentBase : public LyPropertyBaseList<LyComponent*> {
public:
    LyPropertyListComponentBase();

    LyPropertyType GetPropertyType() const override { return kLyPropertyTypeObject; }
    /// Objects of the filter class connected to the parent: its sources, or
    /// its destinations for a list of parents. 0 without a parent.
    int GetCount() override;
    /// The i-th such object's component (created when needed); null out of
    /// range.
    LyComponent* GetAt(int index) override;
    /// Connects `component` (as a source, or as a destination for a list of
    /// parents) unless it already is; returns GetCount() afterwards.
    virtual int Add(LyComponent* component);
    /// Disconnects the i-th object; ignored out of range.
    void RemoveAt(int index) override;

    /// The registered host class id members must have (0: any object).
    int GetClassId() const { return mClassId; }
    void SetClassId(int classId) { mClassId = classId; }
    bool GetIsListOfParents() const { return mListOfParents; }
    void SetListOfParents(bool listOfParents) { mListOfParents = listOfParents; }

protected:
    int mClassId;
    bool mListOfParents;
};

/// The components connected to a host object.
class LYSDK_API LyPropertyListComponent : public LyPropertyListComponentBase {};

/// A list held by a bound object-list host property. Unbound, Add, InsertAt,
/// SetAt, GetFilter and GetSingleConnect answer -1 and the rest 0 or null.
class LYSDK_API LyPropertyListObject : public LyPropertyBasicList {
public:
    LyPropertyType GetPropertyType() const override { return kLyPropertyTypeObject; }
    int GetCount() override;
    void RemoveAt(int index) override;
    /// The component of the i-th object (created when needed), or null.
    virtual LyComponent* GetAt(int index);
    virtual LyComponent* operator[](int index);
    /// 1 when the host took the object, else 0 (-1 unbound).
    virtual int Add(LyComponent* component);
    virtual int InsertAt(int index, LyComponent* component);
    virtual int SetAt(int index, LyComponent* component);
    virtual void Clear();
    /// The index of `component`, or -1.
    int Find(LyComponent* component);
    /// Removes `component`; its former index, or -1.
    int Remove(LyComponent* component);

    /// The host class id objects must have (0: any); -1 unbound.
    int GetFilter();
    void SetFilter(int classId);
    virtual void SetSingleConnect(bool single);
    /// 1 or 0; -1 unbound.
    virtual int GetSingleConnect();
};

/// A list of the components of class T connected to a host object; T
/// derives from LyComponent and knows its host class (GetInternalClassId).
template <class T>
class LyPropertyListOf : public LyPropertyListComponent {
public:
    LyPropertyListOf() { SetClassId(T::GetInternalClassId()); }
    T* operator[](int index) { return static_cast<T*>(GetAt(index)); }
    // The typed forms sit beside the base's, not in place of them.
    using LyPropertyListComponentBase::Add;
    using LyPropertyListComponentBase::Remove;
    int Add(T* item) { return LyPropertyListComponentBase::Add(item); }
    int Remove(T* item) { return LyPropertyListComponentBase::Remove(item); }
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYPROPERTYLIST_H
