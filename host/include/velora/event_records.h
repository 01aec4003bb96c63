#ifndef VELORA_EVENT_RECORDS_H
#define VELORA_EVENT_RECORDS_H

// The records of the host's application and interface events: what a
// handler receives when the scene changes, a take or file changes, or a
// window, menu, tree or spreadsheet has something to say.
//
// Each record derives from lyiface::EventRecord and keeps its event type code
// in `type` (the codes belong to the source that raises it). Records are made
// by the raiser, live for the raise, and are read (and, where a field is an
// answer, written) by handlers. Plugs named in records are not owned.
//
// The scene notification records are in velora/scene_events.h, the
// evaluation record in velora/evaluation.h.

#include <string>
#include <vector>

#include <lyiface/object.h>

#include "velora/export.h"
#include "velora/plug.h"

namespace velora {

// Each destructor is defined out of line (event_records.cpp) so that the
// record's type information lives in this library alone: receivers in other
// libraries tell records apart by it.

/// Something was added to, removed from or changed in the scene.
struct VELORA_API SceneChangeRecord : lyiface::EventRecord {
    Plug* component = nullptr;  ///< the object concerned
    Plug* child = nullptr;      ///< its child or parent concerned, when any
    ~SceneChangeRecord() override;
};

/// A take was added, removed, renamed or made current.
struct VELORA_API TakeChangeRecord : lyiface::EventRecord {
    Plug* take = nullptr;
    ~TakeChangeRecord() override;
};

/// A scene file is being opened, merged or saved.
struct VELORA_API FileChangeRecord : lyiface::EventRecord {
    std::string path;
    ~FileChangeRecord() override;
};

/// The video switcher changed its clip.
struct VELORA_API VideoSwitcherRecord : lyiface::EventRecord {
    Plug* switcher = nullptr;
    int endType = 0;              ///< how the clip ends
    long long reference = 0;      ///< the reference time, in ticks
    ~VideoSwitcherRecord() override;
};

/// A rendered video is under way.
struct VELORA_API VideoFrameRenderingRecord : lyiface::EventRecord {
    int state = 0;  ///< 0 begin, 1 a frame, 2 end
    int frameCount = 0;
    int frameNumber = 0;
    ~VideoFrameRenderingRecord() override;
};

/// A command of the construction history ran.
struct VELORA_API ConstructionHistoryRecord : lyiface::EventRecord {
    int commandId = 0;
    ~ConstructionHistoryRecord() override;
};

/// A file is about to be opened; a handler that will open it itself says so
/// by setting `willOverride`.
struct VELORA_API OverrideFileOpenRecord : lyiface::EventRecord {
    std::string path;
    bool willOverride = false;
    ~OverrideFileOpenRecord() override;
};

/// A control was activated (a button pressed, a value committed).
struct VELORA_API ActivateRecord : lyiface::EventRecord {
    int data = 0;
    ~ActivateRecord() override;
};

/// An item was double-clicked.
struct VELORA_API DblClickRecord : lyiface::EventRecord {
    int selection = 0;  ///< index of the item
    ~DblClickRecord() override;
};

/// A drag over, or a drop onto, a control. Handlers answer by accepting
/// and, when starting a drag, by filling the item list.
struct VELORA_API DragAndDropRecord : lyiface::EventRecord {
    int state = 0;
    int x = 0;
    int y = 0;
    int data[2] = {0, 0};
    bool accepted = false;
    std::vector<PlugHandle> items;  ///< what is dragged; ended objects read null
    std::vector<int> itemIds;       ///< an id given with each item
    ~DragAndDropRecord() override;
};

/// Keyboard, mouse or tablet input.
struct VELORA_API InputRecord : lyiface::EventRecord {
    int inputType = 0;
    int mouseButton = 0;
    int key = 0;
    int keyState = 0;  ///< modifier keys held
    int pressure = 0;  ///< tablet pressure, 0..1000
    int wheelDelta = 0;
    ~InputRecord() override;
};

/// A menu item was chosen.
struct VELORA_API MenuRecord : lyiface::EventRecord {
    int id = 0;
    std::string name;
    ~MenuRecord() override;
};

/// A window changed size.
struct VELORA_API ResizeRecord : lyiface::EventRecord {
    int width = 0;
    int height = 0;
    ~ResizeRecord() override;
};

/// A window was shown or hidden.
struct VELORA_API ShowRecord : lyiface::EventRecord {
    bool shown = false;
    ~ShowRecord() override;
};

/// A spreadsheet cell, row or column event.
struct VELORA_API SpreadRecord : lyiface::EventRecord {
    int row = 0;
    int column = 0;
    int action = 0;
    ~SpreadRecord() override;
};

/// An undo transaction begins or ends.
struct VELORA_API TransactionRecord : lyiface::EventRecord {
    bool begin = false;
    ~TransactionRecord() override;
};

/// Something happened to a tree node (expanded, collapsed, edited...).
struct VELORA_API TreeRecord : lyiface::EventRecord {
    Plug* node = nullptr;
    int why = 0;
    ~TreeRecord() override;
};

/// A tree node was selected.
struct VELORA_API TreeSelectRecord : lyiface::EventRecord {
    Plug* node = nullptr;
    ~TreeSelectRecord() override;
};

}  // namespace velora

#endif  // VELORA_EVENT_RECORDS_H
