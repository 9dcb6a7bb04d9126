#pragma once

// The file manager's calls to its extension on the session bus: the extension's service
// (FinderSyncService), the stand-in's client (FinderSyncClient) and the file-manager modules'
// GLib core all read these names. Plain constants only, so code without Qt can include it.
namespace platform::protocol {

// Answered by the process that owns the extension's bundle identifier.
inline constexpr char kService[] = "com.quenlow.plovanemenu.findersyncextension";
inline constexpr char kPath[] = "/com/quenlow/plovanemenu/findersyncextension";
inline constexpr char kInterface[] = "com.quenlow.plovanemenu.FinderSync";

// A method: its name, and the types (GVariant tuples) of what it takes and what it answers.
// Paths travel as byte arrays (`ay`), since a Linux file name need not be UTF-8.
struct Method {
  const char* name;
  const char* arguments;
  const char* reply;
};

// (kind, selection) → the menu, encoded as below. `kind` is a menu kind's number.
inline constexpr Method kMenu{"Menu", "(iaay)", "(s)"};
// (selector, tag, title, selection) → the action's number, sent before the work it defers runs.
inline constexpr Method kPerform{"Perform", "(sxsaay)", "(u)"};
inline constexpr Method kBeginObserving{"BeginObserving", "(ay)", "()"};
inline constexpr Method kEndObserving{"EndObserving", "(ay)", "()"};
inline constexpr Method kRequestBadge{"RequestBadge", "(ay)", "()"};
// The badge requests of many shown items in one call, of at most kMostBadgesPerCall paths.
inline constexpr Method kRequestBadges{"RequestBadges", "(aay)", "()"};
inline constexpr int kMostBadgesPerCall = 1000;
// The answers for the modals of the next chosen entries, replacing any left over.
inline constexpr Method kAnswerModals{"AnswerModals", "(aay)", "()"};
// A file manager's module has loaded and keeps the extension until its bus connection closes,
// as a file manager keeps its extensions while it runs.
inline constexpr Method kAttach{"Attach", "()", "()"};

inline constexpr Method kMethods[] = {kMenu,         kPerform,       kBeginObserving, kEndObserving,
                                      kRequestBadge, kRequestBadges, kAnswerModals,   kAttach};

// (action, modals, failure, answersLeft): the work of a chosen entry has run out. `modals`
// describes each modal answered by script; `failure` is empty when the work ran to its end.
struct Signal {
  const char* name;
  const char* arguments;
};
inline constexpr Signal kActionFinished{"ActionFinished", "(uassu)"};

// The numbers `Menu` takes for the kinds of menu, in the platform's order.
inline constexpr int kItemsMenu = 0;
inline constexpr int kContainerMenu = 1;
inline constexpr int kSidebarMenu = 2;
inline constexpr int kToolbarMenu = 3;

// The menu's encoding: one JSON object
//   {"title": s, "resources": folder of the assets, "items": [item...]}
// item:    {"title": s, "action": selector or "", "keyEquivalent": s, "tag": n, "enabled": b,
//           "image": image (optional), "submenuTitle": s and "submenu": [item...] (optional)}
// image:   {"kind": one of the kinds below, "name": s, "width": n, "height": n,
//           "drawing": drawing (optional, a canvas's)}
// drawing: {"from": [x, y, w, h], "in": [x, y, w, h], "operation": n, "fraction": n,
//           "source": image (optional), "interpolation": n (optional)}
namespace menu_json {

inline constexpr char kTitle[] = "title";
inline constexpr char kResources[] = "resources";
inline constexpr char kItems[] = "items";

inline constexpr char kAction[] = "action";
inline constexpr char kKeyEquivalent[] = "keyEquivalent";
inline constexpr char kTag[] = "tag";
inline constexpr char kEnabled[] = "enabled";
inline constexpr char kImage[] = "image";
inline constexpr char kSubmenuTitle[] = "submenuTitle";
inline constexpr char kSubmenu[] = "submenu";

inline constexpr char kKind[] = "kind";
inline constexpr char kName[] = "name";
inline constexpr char kWidth[] = "width";
inline constexpr char kHeight[] = "height";
inline constexpr char kDrawing[] = "drawing";

inline constexpr char kFrom[] = "from";
inline constexpr char kIn[] = "in";
inline constexpr char kOperation[] = "operation";
inline constexpr char kFraction[] = "fraction";
inline constexpr char kSource[] = "source";
inline constexpr char kInterpolation[] = "interpolation";

// The image kinds: a bundle's asset, a platform image, a file's icon, an application's icon,
// and a canvas something was drawn into.
inline constexpr char kAssetKind[] = "asset";
inline constexpr char kSystemKind[] = "system";
inline constexpr char kFileIconKind[] = "fileIcon";
inline constexpr char kApplicationIconKind[] = "applicationIcon";
inline constexpr char kCanvasKind[] = "canvas";

}  // namespace menu_json

}  // namespace platform::protocol
