#ifndef LYSDK_LYARRAY_H
#define LYSDK_LYARRAY_H

// LyArrayTemplate<T>: the growable array of plain values that crosses the
// SDK's interface.
//
// Storage grows one block at a time (block size elements, 10 by default):
// growth is linear, never geometric, and storage only shrinks on Clear,
// assignment and destruction. Elements are copied and moved as raw bytes,
// so T must be a plain value: a number, a pointer or a plain structure.
// Storage is allocated with LyRealloc and released with LyFree, so an array
// filled by the SDK may be released by a plug-in and the other way round.
//
// Indices are not checked: GetAt, SetAt, operator[] and RemoveAt need an
// index in [0, GetCount()), InsertAt one in [0, GetCount()] (larger values
// append), and GetLast, SetLast and RemoveLast a non-empty array.
//
// Note SetCount(n): it shrinks to n when n is not above the count, but
// grows BY n otherwise (the count becomes count + n). To get exactly n
// elements, Clear() first.

#include "lysdk/lyexport.h"
#include "lysdk/lypickinfos.h"

LYSDK_BEGIN_NAMESPACE

class LyAnimationLayer;
class LyBox;
class LyComponent;
class LyConsoleChannel;
class LyConstructionOperation;
class LyDeviceInstrument;
class LyDeviceOpticalMarker;
class LyModel;
class LyModelMarkerOptical;
class LyOpticalGap;
class LyOpticalSegment;
class LyPlug;
class LyProperty;
class LyPropertyEvent;
class LyRigidBody;

template <class T>
class LyArrayTemplate {
public:
    explicit LyArrayTemplate(int blockSize = 10);
    LyArrayTemplate(const LyArrayTemplate& other);
    ~LyArrayTemplate();
    LyArrayTemplate& operator=(const LyArrayTemplate& other);

    T& operator[](int i) const { return mArray[i]; }
    T GetAt(int i) const { return mArray[i]; }
    void SetAt(int i, T value) { mArray[i] = value; }
    T GetLast() const { return mArray[mCount - 1]; }
    void SetLast(T value) { mArray[mCount - 1] = value; }
    T* GetArray() const { return mArray; }
    int GetCount() const { return mCount; }

    /// Appends; returns the index used.
    int Add(T value);
    /// Inserts before `index` (past the end appends); returns the index used.
    int InsertAt(int index, T value);
    /// Removes element `index`; the vacated last slot is zero-filled.
    void RemoveAt(int index);
    void RemoveLast();
    /// Index of the first element equal to `value`, or -1.
    int Find(T value) const;
    /// Removes the first element equal to `value`; false when none.
    bool Remove(T& value);
    bool RemoveIt(T value);
    /// See the note at the top of this header.
    void SetCount(int count);
    /// Frees the storage; the block size is kept.
    void Clear();

private:
    T* mArray;
    int mCount;
    int mBlockCount;
    int mBlockSize;
};

// The instantiations the SDK provides. Plug-ins use these; the member
// functions are defined in the library.
extern template class LYSDK_API LyArrayTemplate<char>;
extern template class LYSDK_API LyArrayTemplate<int>;
extern template class LYSDK_API LyArrayTemplate<unsigned int>;
extern template class LYSDK_API LyArrayTemplate<float>;
extern template class LYSDK_API LyArrayTemplate<double>;
extern template class LYSDK_API LyArrayTemplate<bool>;
extern template class LYSDK_API LyArrayTemplate<char*>;
extern template class LYSDK_API LyArrayTemplate<int*>;
extern template class LYSDK_API LyArrayTemplate<unsigned int*>;
extern template class LYSDK_API LyArrayTemplate<float*>;
extern template class LYSDK_API LyArrayTemplate<double*>;
extern template class LYSDK_API LyArrayTemplate<bool*>;
extern template class LYSDK_API LyArrayTemplate<void*>;
extern template class LYSDK_API LyArrayTemplate<LyConsoleChannel*>;
extern template class LYSDK_API LyArrayTemplate<LyConstructionOperation*>;
extern template class LYSDK_API LyArrayTemplate<LyDeviceOpticalMarker*>;
extern template class LYSDK_API LyArrayTemplate<LyModel*>;
extern template class LYSDK_API LyArrayTemplate<LyModelMarkerOptical*>;
extern template class LYSDK_API LyArrayTemplate<LyOpticalGap*>;
extern template class LYSDK_API LyArrayTemplate<LyOpticalSegment*>;
extern template class LYSDK_API LyArrayTemplate<LyPlug*>;
extern template class LYSDK_API LyArrayTemplate<LyProperty*>;
extern template class LYSDK_API LyArrayTemplate<LyRigidBody*>;
extern template class LYSDK_API LyArrayTemplate<LyPickInfos>;
// Also used by the SDK's own interfaces (living components, property events).
extern template class LYSDK_API LyArrayTemplate<LyComponent*>;
extern template class LYSDK_API LyArrayTemplate<LyPropertyEvent*>;
// Takes: layers and the objects edits and plots act on.
extern template class LYSDK_API LyArrayTemplate<LyAnimationLayer*>;
extern template class LYSDK_API LyArrayTemplate<LyBox*>;

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYARRAY_H
