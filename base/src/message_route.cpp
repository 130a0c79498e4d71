// The package library's message route: one process-wide handler and its context, guarded
// by a lock, so that a handler installed on one thread is seen whole on another.
#include "message_route.h"

#include <mutex>

#include "base/platform.h"

namespace klv {
namespace {

struct Route {
  std::mutex mutex;
  KLVMessageHandler handler = nullptr;
  void* context = nullptr;
};

// Never destroyed: a message may still be shown while static objects go away.
Route& TheRoute() {
  static Route* route = new Route;
  return *route;
}

}  // namespace

void SetMessageHandler(KLVMessageHandler handler, void* context) {
  Route& route = TheRoute();
  std::lock_guard<std::mutex> lock(route.mutex);
  route.handler = handler;
  route.context = handler != nullptr ? context : nullptr;
}

void RouteMessage(const std::string& text) {
  Route& route = TheRoute();
  KLVMessageHandler handler;
  void* context;
  {
    std::lock_guard<std::mutex> lock(route.mutex);
    handler = route.handler;
    context = route.context;
  }
  if (handler != nullptr) {
    handler(text.c_str(), context);
    return;
  }
  ShowMessageByDefault(text);
}

}  // namespace klv
