// outlet.cpp - numbering, framing and writing the adapter's messages. The texts in them come
// from scripts and from the engine's messages, which need not be UTF-8: they are made UTF-8
// (text.h) before they reach the JSON writer, which would refuse them otherwise.
#include "outlet.h"

#include "jsonfields.h"
#include "text.h"

namespace dap {

namespace {

json responseto(json const& request, bool success) {
  json response = {{"type", "response"}, {"success", success}};
  response["request_seq"] = integer(request, "seq", 0);
  response["command"] = utf8(text(request, "command"));
  return response;
}

} // namespace

void outlet::respond(json const& request, json body) {
  json response = responseto(request, true);
  response["body"] = std::move(body);
  send(response);
}

void outlet::fail(json const& request, std::string const& message) {
  json response = responseto(request, false);
  response["message"] = utf8(message);
  response["body"] = {{"error", {{"id", 1}, {"format", utf8(message)}, {"showUser", false}}}};
  send(response);
}

void outlet::event(char const* name, json body) {
  json message = {{"type", "event"}, {"event", name}, {"body", std::move(body)}};
  send(message);
}

void outlet::output(char const* category, std::string const& text) {
  event("output", {{"category", category}, {"output", utf8(text)}});
}

bool outlet::open() const {
  std::lock_guard<std::mutex> hold(lock);
  return !broken;
}

void outlet::send(json& message) {
  std::lock_guard<std::mutex> hold(lock);
  if (broken) return;
  message["seq"] = ++sequence;
  // Every text was made UTF-8 on its way in; a byte that slipped through is replaced rather
  // than refused.
  std::string body = message.dump(-1, ' ', false, json::error_handler_t::replace);
  std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  if (!stream.write(framed.data(), framed.size())) broken = true;
}

} // namespace dap
