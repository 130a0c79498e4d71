// The route of the package library's messages, the same on every platform: to the sink
// that SetMessageSink installed, or else to the platform's default. Private to klv_base:
// each platform's Env::ShowMessage goes through RouteMessage.
#ifndef KLV_BASE_SRC_MESSAGE_ROUTE_H_
#define KLV_BASE_SRC_MESSAGE_ROUTE_H_

#include <string>

namespace klv {

// Hands `text` to the installed sink, or to ShowMessageByDefault when there is none. The
// sink runs on a copy, outside the route's lock, so that it may install another sink.
void RouteMessage(const std::string& text);

// The platform's own way to show a message when no sink is installed: one line on
// standard error (Linux), an information message box without owner or caption
// (Windows). Defined by each platform's environment.
void ShowMessageByDefault(const std::string& text);

}  // namespace klv

#endif  // KLV_BASE_SRC_MESSAGE_ROUTE_H_
