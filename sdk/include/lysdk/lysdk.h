#ifndef LYSDK_LYSDK_H
#define LYSDK_LYSDK_H

// The SDK's umbrella header: plug-ins include this one header.

#include "lysdk/lyversion.h"
#include "lysdk/lymemory.h"
#include "lysdk/lystring.h"
#include "lysdk/lystringlist.h"
#include "lysdk/lyarray.h"
#include "lysdk/lyvector.h"
#include "lysdk/lymatrix.h"
#include "lysdk/lyquaternion.h"
#include "lysdk/lyrotation.h"
#include "lysdk/lygeometry.h"
#include "lysdk/lytime.h"
#include "lysdk/lytimecode.h"
#include "lysdk/lyreferencetime.h"
#include "lysdk/lyobject.h"
#include "lysdk/lyplug.h"
#include "lysdk/lyenumtexts.h"
#include "lysdk/lyproperty.h"
#include "lysdk/lypropertytyped.h"
#include "lysdk/lypropertylist.h"
#include "lysdk/lypropertyanimatable.h"
#include "lysdk/lycomponent.h"
#include "lysdk/lyanimationnode.h"
#include "lysdk/lymodel.h"
#include "lysdk/lyscene.h"
#include "lysdk/lysystem.h"
#include "lysdk/lyevent.h"
#include "lysdk/lyplugin.h"
#include "lysdk/lydsx.h"
#include "lysdk/lylock.h"
#include "lysdk/lyobjectservices.h"
#include "lysdk/lytrace.h"
#include "lysdk/lyplatform.h"

#endif  // LYSDK_LYSDK_H
