#include "process_windows.h"

#include <sys/random.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "endpoint.h"
#include "window_folder.h"

namespace user32 {
namespace {

// Handles are numbers above HWND_BROADCAST (0xFFFF), one per window serial.
constexpr std::uintptr_t kFirstHandle = 0x10000;

std::uint64_t DrawNonce() {
  std::uint64_t nonce = 0;
  if (getrandom(&nonce, sizeof nonce, GRND_NONBLOCK) ==
      static_cast<ssize_t>(sizeof nonce))
    return nonce;
  // No entropy yet (early boot): the clock still tells two processes with
  // the same pid apart.
  return static_cast<std::uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count());
}

std::uintptr_t Key(Hwnd window) { return reinterpret_cast<std::uintptr_t>(window); }
Hwnd ToHandle(std::uintptr_t key) { return reinterpret_cast<Hwnd>(key); }

}  // namespace

ProcessWindows::ProcessWindows() : nonce_(DrawNonce()) {}

ProcessWindows::~ProcessWindows() { RemoveEndpoints(); }

Hwnd ProcessWindows::Create(std::string caption, WindowProcedure* procedure,
                            void* context) {
  const std::uint64_t serial = next_serial_++;
  auto record = std::make_unique<Record>(
      Record{std::move(caption), procedure, context, {}, {}, {}, getpid()});
  if (const auto folder = WindowFolder()) {
    std::string name = EndpointName(getpid(), serial, nonce_);
    std::string path = *folder + "/" + name;
    record->listener = ListenAt(path);
    if (record->listener.valid()) {
      record->endpoint_name = std::move(name);
      record->endpoint_path = std::move(path);
    }
  }
  const std::uintptr_t key = kFirstHandle + serial;
  windows_.emplace(key, std::move(record));
  return ToHandle(key);
}

bool ProcessWindows::Destroy(Hwnd window) {
  const auto found = windows_.find(Key(window));
  if (found == windows_.end()) return false;
  RemoveEndpoint(*found->second);
  windows_.erase(found);
  return true;
}

std::vector<Hwnd> ProcessWindows::Handles() const {
  std::vector<Hwnd> handles;
  for (const auto& entry : windows_) handles.push_back(ToHandle(entry.first));
  return handles;
}

std::vector<std::pair<Hwnd, int>> ProcessWindows::Listeners() const {
  std::vector<std::pair<Hwnd, int>> listeners;
  for (const auto& [key, record] : windows_) {
    if (record->listener.valid())
      listeners.emplace_back(ToHandle(key), record->listener.get());
  }
  return listeners;
}

int ProcessWindows::ListenerOf(Hwnd window) const {
  const Record* record = Find(window);
  return record != nullptr ? record->listener.get() : -1;
}

bool ProcessWindows::OwnsEndpoint(std::string_view name) const {
  for (const auto& entry : windows_) {
    if (entry.second->endpoint_name == name) return true;
  }
  return false;
}

std::optional<Lresult> ProcessWindows::Dispatch(Hwnd window, Uint message,
                                                Wparam wParam, Lparam lParam) {
  const Record* record = Find(window);
  if (record == nullptr) return std::nullopt;
  // The procedure may destroy the window, so nothing of the record is used
  // once it runs.
  WindowProcedure* procedure = record->procedure;
  void* context = record->context;
  return procedure(context, window, message, wParam, lParam);
}

std::optional<Lresult> ProcessWindows::Deliver(Hwnd window,
                                               const Message& message) {
  const auto wParam = static_cast<Wparam>(message.wParam);
  if (const auto* text = std::get_if<std::string>(&message.lParam)) {
    std::string copy = *text;
    return Dispatch(window, message.number, wParam,
                    reinterpret_cast<Lparam>(copy.data()));
  }
  return Dispatch(window, message.number, wParam,
                  static_cast<Lparam>(std::get<std::int64_t>(message.lParam)));
}

void ProcessWindows::RemoveEndpoints() noexcept {
  for (const auto& entry : windows_) RemoveEndpoint(*entry.second);
}

void ProcessWindows::RemoveEndpoint(const Record& record) noexcept {
  if (!record.endpoint_path.empty() && record.creator == getpid())
    unlink(record.endpoint_path.c_str());
}

const ProcessWindows::Record* ProcessWindows::Find(Hwnd window) const {
  const auto found = windows_.find(Key(window));
  return found != windows_.end() ? found->second.get() : nullptr;
}

}  // namespace user32
