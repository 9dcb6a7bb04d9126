#include "desktop/findersync/FinderSyncService.h"

#include <QString>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <fstream>
#include <string_view>

#include "desktop/findersync/MenuTransport.h"
#include "platform/NSMenu.h"
#include "protocol/FinderSyncProtocol.h"

namespace platform::desktop {

namespace {

static_assert(static_cast<int>(FIMenuKind::contextualMenuForItems) == protocol::kItemsMenu &&
              static_cast<int>(FIMenuKind::contextualMenuForContainer) ==
                  protocol::kContainerMenu &&
              static_cast<int>(FIMenuKind::contextualMenuForSidebar) == protocol::kSidebarMenu &&
              static_cast<int>(FIMenuKind::toolbarItemMenu) == protocol::kToolbarMenu);

// Whether `types` is what the protocol's tuple `tuple` holds: the bus library takes the types
// without the brackets.
constexpr bool holds(std::string_view tuple, std::string_view types) {
  return tuple.size() == types.size() + 2 && tuple.front() == '(' && tuple.back() == ')' &&
         tuple.substr(1, types.size()) == types;
}

// The vtable below takes literals; they must stay the protocol's.
static_assert(holds(protocol::kMenu.arguments, "iaay") && holds(protocol::kMenu.reply, "s"));
static_assert(holds(protocol::kPerform.arguments, "sxsaay") &&
              holds(protocol::kPerform.reply, "u"));
static_assert(holds(protocol::kBeginObserving.arguments, "ay") &&
              holds(protocol::kEndObserving.arguments, "ay") &&
              holds(protocol::kRequestBadge.arguments, "ay") &&
              holds(protocol::kRequestBadges.arguments, "aay") &&
              holds(protocol::kAnswerModals.arguments, "aay") &&
              holds(protocol::kAttach.arguments, ""));
static_assert(holds(protocol::kActionFinished.arguments, "uassu"));

constexpr char kBusService[] = "org.freedesktop.DBus";
constexpr char kBusPath[] = "/org/freedesktop/DBus";

NSURL urlForPath(const std::string& path) { return NSURL::fileURLWithPath(path); }

bool offers(const NSMenu& menu, const NSMenuItem& entry) {
  return std::any_of(menu.items.begin(), menu.items.end(), [&](const NSMenuItem& item) {
    if (item.submenu && offers(*item.submenu, entry)) return true;
    return item.enabled && !item.action.empty() && item.action == entry.action &&
           item.tag == entry.tag && item.title == entry.title;
  });
}

// Text the bus carries: what is not UTF-8 (a file name's bytes) reads with replacements.
std::string busText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

int readByteArray(sd_bus_message* call, std::string& into) {
  const void* bytes = nullptr;
  std::size_t size = 0;
  const int read = sd_bus_message_read_array(call, 'y', &bytes, &size);
  if (read >= 0) into.assign(static_cast<const char*>(bytes), size);
  return read;
}

int readByteArrays(sd_bus_message* call, std::vector<std::string>& into) {
  if (const int entered = sd_bus_message_enter_container(call, 'a', "ay"); entered < 0) {
    return entered;
  }
  for (std::string item;;) {
    const int read = readByteArray(call, item);
    if (read < 0) return read;
    if (read == 0) break;
    into.push_back(std::move(item));
  }
  return sd_bus_message_exit_container(call);
}

// The unique bus name of the connection that sent `call`.
std::string senderOf(sd_bus_message* call) {
  const char* sender = sd_bus_message_get_sender(call);
  return sender != nullptr ? sender : "";
}

int replyNothing(sd_bus_message* call) { return sd_bus_reply_method_return(call, ""); }

int fail(sd_bus_error* error, const char* name, const std::string& why) {
  return sd_bus_error_set(error, name, busText(why).c_str());
}

}  // namespace

template <int (FinderSyncService::*answer)(sd_bus_message*, sd_bus_error*)>
int FinderSyncService::handle(sd_bus_message* call, void* service, sd_bus_error* error) {
  return (static_cast<FinderSyncService*>(service)->*answer)(call, error);
}

const sd_bus_vtable FinderSyncService::kMethods[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD(protocol::kMenu.name, "iaay", "s", &handle<&FinderSyncService::menu>, 0),
    SD_BUS_METHOD(protocol::kPerform.name, "sxsaay", "u", &handle<&FinderSyncService::perform>, 0),
    SD_BUS_METHOD(protocol::kBeginObserving.name, "ay", "",
                  &handle<&FinderSyncService::beginObserving>, 0),
    SD_BUS_METHOD(protocol::kEndObserving.name, "ay", "", &handle<&FinderSyncService::endObserving>,
                  0),
    SD_BUS_METHOD(protocol::kRequestBadge.name, "ay", "", &handle<&FinderSyncService::requestBadge>,
                  0),
    SD_BUS_METHOD(protocol::kRequestBadges.name, "aay", "",
                  &handle<&FinderSyncService::requestBadges>, 0),
    SD_BUS_METHOD(protocol::kAnswerModals.name, "aay", "",
                  &handle<&FinderSyncService::answerModals>, 0),
    SD_BUS_METHOD(protocol::kAttach.name, "", "", &handle<&FinderSyncService::attach>, 0),
    SD_BUS_SIGNAL(protocol::kActionFinished.name, "uassu", 0),
    SD_BUS_VTABLE_END};

FinderSyncService::FinderSyncService(FIFinderSync& finderSync, HostDirectorySet& controller,
                                     UserDefaultsRoot& defaults, QtRunLoop& runLoop,
                                     std::filesystem::path resources,
                                     ScriptedModalAnswers* scripted)
    : finderSync_(finderSync),
      controller_(controller),
      defaults_(defaults),
      runLoop_(runLoop),
      resources_(std::move(resources)),
      scripted_(scripted) {
  runLoop_.setRunner([this](const Block& block) { runGuarded(block); });
  runLoop_.setIdleHandler([this] {
    finishActions();
    noteActivity();
  });
}

FinderSyncService::~FinderSyncService() { withdraw(); }

bool FinderSyncService::publish(MainLoopBus& bus) {
  withdraw();
  bus_ = &bus;
  return sd_bus_add_object_vtable(bus.get(), &methods_, protocol::kPath, protocol::kInterface,
                                  kMethods, this) >= 0;
}

void FinderSyncService::withdraw() {
  methods_ = sd_bus_slot_unref(methods_);
  for (auto& [module, watch] : attachedModules_) sd_bus_slot_unref(watch);
  attachedModules_.clear();
}

int FinderSyncService::menu(sd_bus_message* call, sd_bus_error* error) {
  int kind = 0;
  std::vector<std::string> selection;
  if (const int read = sd_bus_message_read(call, "i", &kind); read < 0) return read;
  if (const int read = readByteArrays(call, selection); read < 0) return read;
  noteActivity();
  if (kind < protocol::kItemsMenu || kind > protocol::kToolbarMenu) {
    return fail(error, SD_BUS_ERROR_INVALID_ARGS, "no such menu kind");
  }
  // The menu and the folders it is judged against come from one state of the settings.
  const auto oneState = defaults_.holdReads();
  selectOnly(selection);
  const auto menu = finderSync_.menuForMenuKind(static_cast<FIMenuKind>(kind));
  // The menu re-read the monitored folders: a module may still ask for a folder switched off.
  const auto selected = controller_.selectedItemURLs().value_or(std::vector<NSURL>{});
  const auto directories = controller_.directoryURLs();
  const bool inside = std::all_of(selected.begin(), selected.end(), [&](const NSURL& item) {
    return isInsideDirectorySet(directories, item);
  });
  static const NSMenu none;
  return sd_bus_reply_method_return(call, "s",
                                    encodeMenu(inside ? *menu : none, resources_).constData());
}

int FinderSyncService::perform(sd_bus_message* call, sd_bus_error*) {
  const char* selector = nullptr;
  const char* title = nullptr;
  Choice choice;
  if (const int read = sd_bus_message_read(call, "sxs", &selector, &choice.tag, &title); read < 0) {
    return read;
  }
  if (const int read = readByteArrays(call, choice.selection); read < 0) return read;
  noteActivity();
  choice.selector = selector;
  choice.title = title;
  ++waitingChoices_;
  Message later(sd_bus_message_ref(call), sd_bus_message_unref);
  QTimer::singleShot(0, this, [this, later, choice = std::move(choice)] {
    --waitingChoices_;
    choose(later, choice);
    bus_->settle();
  });
  return 1;
}

void FinderSyncService::choose(const Message& call, const Choice& choice) {
  const auto refuse = [&](const char* name, const std::string& why) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    fail(&error, name, why);
    sd_bus_reply_method_error(call.get(), &error);
    sd_bus_error_free(&error);
  };
  dropAnswersNotFrom(senderOf(call.get()));
  selectOnly(choice.selection);
  controller_.setRequestingProgram(callerProgram(call.get()));
  NSMenuItem entry(choice.title, choice.selector, {});
  entry.tag = choice.tag;
  if (const auto why = whyRefused(entry)) return refuse(SD_BUS_ERROR_ACCESS_DENIED, *why);
  const uint action = ++lastAction_;
  runningActions_.push_back(action);
  if (notices_ != nullptr) notices_->setCommand(choice.title);
  bool known = true;
  runGuarded([&] { known = finderSync_.performSelector(entry.action, &entry); });
  if (!known) {
    runningActions_.pop_back();
    return refuse(SD_BUS_ERROR_UNKNOWN_METHOD, "the extension has no selector " + choice.selector);
  }
  sd_bus_reply_method_return(call.get(), "u", action);
  // The reply goes first; an action that deferred nothing is reported right after it.
  if (runLoop_.idle()) QTimer::singleShot(0, this, [this] { finishActions(); });
}

std::optional<std::string> FinderSyncService::whyRefused(const NSMenuItem& entry) {
  // Held for the check only: the entry's work may wait on a dialog, and reads after it must see
  // the settings as they are then.
  const auto oneState = defaults_.holdReads();
  // Taking the menu first brings the monitored folders up to date with the settings.
  std::shared_ptr<NSMenu> menu;
  runGuarded([&] { menu = finderSync_.menuOfferedForSelection(); });
  const auto selection = controller_.selectedItemURLs().value_or(std::vector<NSURL>{});
  const auto directories = controller_.directoryURLs();
  const bool inside =
      !selection.empty() && std::all_of(selection.begin(), selection.end(), [&](const NSURL& item) {
        return actsInsideDirectorySet(directories, item);
      });
  if (!inside) return "the selection is not inside a monitored folder";
  if (menu && offers(*menu, entry)) return std::nullopt;
  return "the menu for this selection has no entry \"" + entry.title + "\" for " + entry.action;
}

int FinderSyncService::beginObserving(sd_bus_message* call, sd_bus_error*) {
  std::string path;
  if (const int read = readByteArray(call, path); read < 0) return read;
  noteActivity();
  finderSync_.beginObservingDirectoryAtURL(urlForPath(path));
  return replyNothing(call);
}

int FinderSyncService::endObserving(sd_bus_message* call, sd_bus_error*) {
  std::string path;
  if (const int read = readByteArray(call, path); read < 0) return read;
  noteActivity();
  finderSync_.endObservingDirectoryAtURL(urlForPath(path));
  return replyNothing(call);
}

int FinderSyncService::requestBadge(sd_bus_message* call, sd_bus_error*) {
  std::string path;
  if (const int read = readByteArray(call, path); read < 0) return read;
  noteActivity();
  finderSync_.requestBadgeIdentifierForURL(urlForPath(path));
  return replyNothing(call);
}

int FinderSyncService::requestBadges(sd_bus_message* call, sd_bus_error* error) {
  std::vector<std::string> paths;
  if (const int read = readByteArrays(call, paths); read < 0) return read;
  noteActivity();
  if (paths.size() > static_cast<std::size_t>(protocol::kMostBadgesPerCall)) {
    return fail(error, SD_BUS_ERROR_INVALID_ARGS,
                "at most " + std::to_string(protocol::kMostBadgesPerCall) + " paths a call");
  }
  std::vector<NSURL> urls;
  urls.reserve(paths.size());
  for (const auto& path : paths) urls.push_back(urlForPath(path));
  finderSync_.requestBadgeIdentifiersForURLs(urls);
  return replyNothing(call);
}

int FinderSyncService::answerModals(sd_bus_message* call, sd_bus_error* error) {
  std::vector<std::string> answers;
  if (const int read = readByteArrays(call, answers); read < 0) return read;
  noteActivity();
  if (scripted_ == nullptr) {
    return fail(error, SD_BUS_ERROR_NOT_SUPPORTED,
                "modals are answered by the person at the display, not from a script");
  }
  scripted_->forgetAnswers();
  answersFrom_ = senderOf(call);
  for (const auto& answer : answers) {
    if (!scripted_->answer(answer)) {
      scripted_->forgetAnswers();
      return fail(error, SD_BUS_ERROR_INVALID_ARGS, "not an answer: " + answer);
    }
  }
  return replyNothing(call);
}

int FinderSyncService::attach(sd_bus_message* call, sd_bus_error*) {
  noteActivity();
  const std::string module = senderOf(call);
  if (module.empty() || attachedModules_.contains(module)) return replyNothing(call);
  const std::string gone = std::string("type='signal',sender='") + kBusService + "',path='" +
                           kBusPath + "',interface='" + kBusService +
                           "',member='NameOwnerChanged',arg0='" + module + "'";
  const auto onGone = [](sd_bus_message* change, void* service, sd_bus_error*) {
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (sd_bus_message_read(change, "sss", &name, &oldOwner, &newOwner) >= 0 && *newOwner == '\0') {
      auto* self = static_cast<FinderSyncService*>(service);
      // Not from within its own watch's call.
      QTimer::singleShot(0, self, [self, module = std::string(name)] {
        self->forgetModule(module);
        // The idle time counts from the moment the last file manager went.
        self->noteActivity();
      });
    }
    return 0;
  };
  sd_bus_slot* watch = nullptr;
  if (sd_bus_add_match(bus_->get(), &watch, gone.c_str(), onGone, this) >= 0) {
    attachedModules_[module] = watch;
    // It may have gone between sending the call and the watch.
    if (!ownsAName(module)) forgetModule(module);
  }
  return replyNothing(call);
}

void FinderSyncService::forgetModule(const std::string& module) {
  if (const auto found = attachedModules_.find(module); found != attachedModules_.end()) {
    sd_bus_slot_unref(found->second);
    attachedModules_.erase(found);
  }
}

bool FinderSyncService::ownsAName(const std::string& connection) {
  sd_bus_message* reply = nullptr;
  int owned = 0;
  const bool asked =
      sd_bus_call_method(bus_->get(), kBusService, kBusPath, kBusService, "NameHasOwner", nullptr,
                         &reply, "s", connection.c_str()) >= 0 &&
      sd_bus_message_read(reply, "b", &owned) >= 0;
  sd_bus_message_unref(reply);
  return asked && owned != 0;
}

void FinderSyncService::runGuarded(const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& failure) {
    // One failed block must not take the extension down with it.
    if (failure_.empty()) failure_ = failure.what();
  }
}

void FinderSyncService::dropAnswersNotFrom(const std::string& performer) {
  if (scripted_ == nullptr || answersFrom_.empty() || answersFrom_ == performer) return;
  if (scripted_->answersLeft() > 0) {
    scripted_->dropAnswers("modal answers from " + answersFrom_ +
                           " dropped: the chosen entry comes from " + performer);
  }
  answersFrom_.clear();
}

std::string FinderSyncService::callerProgram(sd_bus_message* call) const {
  sd_bus_creds* credentials = nullptr;
  pid_t pid = 0;
  const bool known = sd_bus_query_sender_creds(call, SD_BUS_CREDS_PID, &credentials) >= 0 &&
                     sd_bus_creds_get_pid(credentials, &pid) >= 0;
  sd_bus_creds_unref(credentials);
  if (!known) return {};
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string program;
  std::getline(comm, program);
  return program;
}

void FinderSyncService::selectOnly(const std::vector<std::string>& selection) {
  std::vector<NSURL> urls;
  for (const auto& path : selection) urls.push_back(urlForPath(path));
  controller_.setSelectedItemURLs(std::move(urls));
}

void FinderSyncService::noteActivity() {
  if (activityHandler_) activityHandler_();
}

void FinderSyncService::finishActions() {
  if (runningActions_.empty() || !runLoop_.idle()) return;
  const auto modals = scripted_ != nullptr ? scripted_->takeShown() : std::vector<std::string>{};
  for (const uint action : runningActions_) announceFinished(action, modals);
  runningActions_.clear();
  failure_.clear();
  if (notices_ != nullptr) notices_->setCommand({});
}

void FinderSyncService::announceFinished(uint action, const std::vector<std::string>& modals) {
  if (bus_ == nullptr) return;
  const uint left = scripted_ != nullptr ? static_cast<uint>(scripted_->answersLeft()) : 0;
  sd_bus_message* signal = nullptr;
  bool built =
      sd_bus_message_new_signal(bus_->get(), &signal, protocol::kPath, protocol::kInterface,
                                protocol::kActionFinished.name) >= 0 &&
      sd_bus_message_append(signal, "u", action) >= 0 &&
      sd_bus_message_open_container(signal, 'a', "s") >= 0;
  for (const auto& modal : modals) {
    built = built && sd_bus_message_append(signal, "s", busText(modal).c_str()) >= 0;
  }
  built = built && sd_bus_message_close_container(signal) >= 0 &&
          sd_bus_message_append(signal, "su", busText(failure_).c_str(), left) >= 0;
  if (built) sd_bus_send(bus_->get(), signal, nullptr);
  sd_bus_message_unref(signal);
  bus_->settle();
}

}  // namespace platform::desktop
