#include "lysdk/lyarray.h"
#include "lysdk/lyfcurve.h"

#include <cstdlib>
#include <cstring>

#include "lysdk/lymemory.h"

LYSDK_BEGIN_NAMESPACE

namespace {

// Resizes `storage` to `bytes`; an allocator that fails leaves nothing to
// recover, so the process stops instead of writing through null.
template <class T>
T* Resize(T* storage, std::size_t bytes) {
    void* grown = LyRealloc(storage, bytes);
    if (!grown && bytes) std::abort();
    return static_cast<T*>(grown);
}

}  // namespace

template <class T>
LyArrayTemplate<T>::LyArrayTemplate(int blockSize)
    : mArray(nullptr), mCount(0), mBlockCount(0), mBlockSize(blockSize > 0 ? blockSize : 10) {}

template <class T>
LyArrayTemplate<T>::LyArrayTemplate(const LyArrayTemplate& other)
    : mArray(nullptr), mCount(0), mBlockCount(0), mBlockSize(other.mBlockSize) {
    SetCount(other.mCount);
    if (other.mCount) std::memcpy(static_cast<void*>(mArray), other.mArray, sizeof(T) * other.mCount);
}

template <class T>
LyArrayTemplate<T>::~LyArrayTemplate() {
    Clear();
}

template <class T>
LyArrayTemplate<T>& LyArrayTemplate<T>::operator=(const LyArrayTemplate& other) {
    if (this == &other) return *this;
    Clear();
    mBlockSize = other.mBlockSize;
    SetCount(other.mCount);
    if (other.mCount) std::memcpy(static_cast<void*>(mArray), other.mArray, sizeof(T) * other.mCount);
    return *this;
}

template <class T>
int LyArrayTemplate<T>::Add(T value) {
    return InsertAt(mCount, value);
}

template <class T>
int LyArrayTemplate<T>::InsertAt(int index, T value) {
    if (index > mCount) index = mCount;
    if (index < 0) index = 0;  // out of contract; never write before the storage
    if (mCount >= mBlockCount * mBlockSize) {
        ++mBlockCount;
        mArray = Resize(mArray, sizeof(T) * static_cast<std::size_t>(mBlockCount) * mBlockSize);
    }
    if (index < mCount)
        std::memmove(static_cast<void*>(mArray + index + 1), mArray + index,
                     sizeof(T) * (mCount - index));
    std::memcpy(static_cast<void*>(mArray + index), &value, sizeof(T));
    ++mCount;
    return index;
}

template <class T>
void LyArrayTemplate<T>::RemoveAt(int index) {
    if (index < 0 || index >= mCount) return;  // out of contract; leave the array alone
    if (index + 1 < mCount)
        std::memmove(static_cast<void*>(mArray + index), mArray + index + 1,
                     sizeof(T) * (mCount - index - 1));
    --mCount;
    std::memset(static_cast<void*>(mArray + mCount), 0, sizeof(T));
}

template <class T>
void LyArrayTemplate<T>::RemoveLast() {
    if (mCount <= 0) return;
    --mCount;
    std::memset(static_cast<void*>(mArray + mCount), 0, sizeof(T));
}

template <class T>
int LyArrayTemplate<T>::Find(T value) const {
    for (int i = 0; i < mCount; ++i)
        if (mArray[i] == value) return i;
    return -1;
}

template <class T>
bool LyArrayTemplate<T>::Remove(T& value) {
    return RemoveIt(value);
}

template <class T>
bool LyArrayTemplate<T>::RemoveIt(T value) {
    if (mCount == 0) return false;
    const int at = Find(value);
    if (at < 0) return false;
    RemoveAt(at);
    return true;
}

template <class T>
void LyArrayTemplate<T>::SetCount(int count) {
    if (count <= mCount) {
        mCount = count < 0 ? mCount : count;
        return;
    }
    // Growing adds `count` elements: the new count is mCount + count.
    const int oldCount = mCount;
    const int newCount = mCount + count;
    int needed = (newCount + mBlockSize - 1) / mBlockSize;
    if (needed < 1) needed = 1;
    if (needed > mBlockCount) {
        mArray = Resize(mArray, sizeof(T) * static_cast<std::size_t>(needed) * mBlockSize);
        mBlockCount = needed;
    }
    const std::size_t from = sizeof(T) * static_cast<std::size_t>(oldCount);
    const std::size_t to = sizeof(T) * static_cast<std::size_t>(needed) * mBlockSize;
    std::memset(reinterpret_cast<char*>(mArray) + from, 0, to - from);
    mCount = newCount;
}

template <class T>
void LyArrayTemplate<T>::Clear() {
    LyFree(mArray);
    mArray = nullptr;
    mCount = 0;
    mBlockCount = 0;
}

template class LyArrayTemplate<char>;
template class LyArrayTemplate<int>;
template class LyArrayTemplate<unsigned int>;
template class LyArrayTemplate<float>;
template class LyArrayTemplate<double>;
template class LyArrayTemplate<bool>;
template class LyArrayTemplate<char*>;
template class LyArrayTemplate<int*>;
template class LyArrayTemplate<unsigned int*>;
template class LyArrayTemplate<float*>;
template class LyArrayTemplate<double*>;
template class LyArrayTemplate<bool*>;
template class LyArrayTemplate<void*>;
template class LyArrayTemplate<LyConsoleChannel*>;
template class LyArrayTemplate<LyConstructionOperation*>;
template class LyArrayTemplate<LyDeviceInstrument*>;
template class LyArrayTemplate<LyDeviceOpticalMarker*>;
template class LyArrayTemplate<LyModel*>;
template class LyArrayTemplate<LyModelMarkerOptical*>;
template class LyArrayTemplate<LyOpticalGap*>;
template class LyArrayTemplate<LyOpticalSegment*>;
template class LyArrayTemplate<LyPlug*>;
template class LyArrayTemplate<LyProperty*>;
template class LyArrayTemplate<LyRigidBody*>;
template class LyArrayTemplate<LyPickInfos>;
template class LyArrayTemplate<LyComponent*>;
template class LyArrayTemplate<LyPropertyEvent*>;
template class LyArrayTemplate<LyAnimationLayer*>;
template class LyArrayTemplate<LyBox*>;
template class LyArrayTemplate<LyTime>;
template class LyArrayTemplate<LyInterpolation>;
template class LyArrayTemplate<LyTangentMode>;

LYSDK_END_NAMESPACE
