#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/NSURL.h"
#include "platform/Responder.h"

namespace platform {

class NSMenu;
class NSMenuItem;

enum class FIMenuKind {
  contextualMenuForItems,
  contextualMenuForContainer,
  contextualMenuForSidebar,
  toolbarItemMenu
};

// What the file manager calls on the extension's principal object.
class FIFinderSync : public Responder {
 public:
  virtual ~FIFinderSync() = default;
  virtual void beginObservingDirectoryAtURL(const NSURL& url) = 0;
  virtual void endObservingDirectoryAtURL(const NSURL& url) = 0;
  virtual void requestBadgeIdentifierForURL(const NSURL& url) = 0;
  // The badges of many shown items at once, as a file manager asks for a folder's listing.
  virtual void requestBadgeIdentifiersForURLs(const std::vector<NSURL>& urls) = 0;
  virtual std::shared_ptr<NSMenu> menuForMenuKind(FIMenuKind kind) = 0;
  // The menu a chosen entry is checked against: the one last offered for the selected items, or
  // one built anew where there is none.
  virtual std::shared_ptr<NSMenu> menuOfferedForSelection() {
    return menuForMenuKind(FIMenuKind::contextualMenuForItems);
  }
};

}  // namespace platform
