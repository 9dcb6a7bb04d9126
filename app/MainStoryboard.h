#pragma once

#include "platform/NSStoryboard.h"

namespace plovane::app {

class AppContext;

// The controller identifiers of the storyboard "Main".
namespace storyboard {
inline constexpr char mainStartWindow[] = "mainStartWindow";
inline constexpr char firstRunvc[] = "firstRunvc";
inline constexpr char tabviewcontroller[] = "tabviewcontroller";
inline constexpr char genraltabvc[] = "genraltabvc";
inline constexpr char menuItemsvc[] = "ViewController";
inline constexpr char foldersArrvc[] = "foldersArrvc";
inline constexpr char customFoldersVc[] = "customFoldersVc";
inline constexpr char aboutVc[] = "aboutVc";
inline constexpr char UtilityKitWindow[] = "UtilityKitWindow";
inline constexpr char utilityKitvc[] = "utilityKitvc";
}  // namespace storyboard

// The storyboard "Main": every window and view of the app, laid out and wired to its controller.
platform::NSStoryboard makeMainStoryboard(AppContext& context);

}  // namespace plovane::app
