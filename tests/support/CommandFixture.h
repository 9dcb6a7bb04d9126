#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "extension/FinderSync.h"
#include "support/FileTree.h"
#include "support/TestEnvironment.h"

namespace plovane::testing {

// An extension with a selection in a temporary folder, to choose commands and run what they
// defer, answering their modals from a script.
class CommandFixture : public ::testing::Test {
 protected:
  FinderSync& extension() {
    if (!finderSync_) finderSync_ = std::make_unique<FinderSync>(env.platform);
    return *finderSync_;
  }
  void select(const std::vector<std::filesystem::path>& items) {
    std::vector<platform::NSURL> urls;
    for (const auto& item : items) urls.push_back(platform::NSURL::fileURLWithPath(item.string()));
    env.finderSyncController.setSelectedItemURLs(urls);
  }
  // Chooses the catalogue entry with that tag and runs everything it deferred.
  void choose(std::int64_t tag) {
    platform::NSMenuItem item("", "commenAction:", "");
    item.tag = tag;
    extension().performSelector("commenAction:", &item);
    env.runLoop.drain();
  }
  void answer(std::initializer_list<platform::sim::ModalAnswer> answers) {
    for (const auto& next : answers) env.modals.answer(next);
  }
  template <class Modal>
  const Modal& shown(std::size_t index) const {
    return std::get<Modal>(env.modals.shown.at(index));
  }
  bool ratingPromptShown() const {
    for (const auto& modal : env.modals.shown) {
      if (const auto* alert = std::get_if<platform::NSAlert>(&modal);
          alert && alert->messageText == "Enjoying Plovane Menu?") {
        return true;
      }
    }
    return false;
  }
  std::optional<platform::PlistValue> ownDefault(const std::string& key) {
    return env.extensionDefaults()->objectForKey(key);
  }

  TestEnvironment env;
  std::filesystem::path work = makeFolder(env.home.path() / "Work", {"a.txt", "b.txt", "c.txt"});
  std::unique_ptr<FinderSync> finderSync_;
};

}  // namespace plovane::testing
