#include "velora/event_records.h"

namespace velora {

// The key functions of the records: their type information is emitted here.
SceneChangeRecord::~SceneChangeRecord() = default;
TakeChangeRecord::~TakeChangeRecord() = default;
FileChangeRecord::~FileChangeRecord() = default;
VideoSwitcherRecord::~VideoSwitcherRecord() = default;
VideoFrameRenderingRecord::~VideoFrameRenderingRecord() = default;
ConstructionHistoryRecord::~ConstructionHistoryRecord() = default;
OverrideFileOpenRecord::~OverrideFileOpenRecord() = default;
ActivateRecord::~ActivateRecord() = default;
DblClickRecord::~DblClickRecord() = default;
DragAndDropRecord::~DragAndDropRecord() = default;
InputRecord::~InputRecord() = default;
MenuRecord::~MenuRecord() = default;
ResizeRecord::~ResizeRecord() = default;
ShowRecord::~ShowRecord() = default;
SpreadRecord::~SpreadRecord() = default;
TransactionRecord::~TransactionRecord() = default;
TreeRecord::~TreeRecord() = default;
TreeSelectRecord::~TreeSelectRecord() = default;

}  // namespace velora
