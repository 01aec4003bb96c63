#ifndef LYSDK_LYPICKINFOS_H
#define LYSDK_LYPICKINFOS_H

#include "lysdk/lyexport.h"

LYSDK_BEGIN_NAMESPACE

class LyModel;

/// One hit of a pick in the viewer: the model hit and the point, in global
/// space. A plain structure, so lists of it are LyArrayTemplate<LyPickInfos>.
struct LyPickInfos {
    LyModel* Model;
    double Point[3];
};

inline bool operator==(const LyPickInfos& a, const LyPickInfos& b) {
    return a.Model == b.Model && a.Point[0] == b.Point[0] && a.Point[1] == b.Point[1] &&
           a.Point[2] == b.Point[2];
}

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYPICKINFOS_H
