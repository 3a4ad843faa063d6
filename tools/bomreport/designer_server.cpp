#include "designer_server.h"

#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>
#include <sys/socket.h>

#include <httplib.h>

#include "designer_assets.h"
#include "designer_guard.h"

namespace bomreport {
namespace {

const char* contentType(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  const std::string_view extension = dot == std::string_view::npos ? "" : name.substr(dot);
  if (extension == ".html") return "text/html; charset=utf-8";
  if (extension == ".js") return "text/javascript; charset=utf-8";
  if (extension == ".css") return "text/css; charset=utf-8";
  if (extension == ".svg") return "image/svg+xml";
  return "application/octet-stream";
}

const char* refusal(GuardVerdict verdict) {
  switch (verdict) {
    case GuardVerdict::kNoToken:
      return "refused: the URL lacks this designer's token\n";
    case GuardVerdict::kForeignHost:
      return "refused: the request is not addressed to this designer's host\n";
    case GuardVerdict::kForeignOrigin:
      return "refused: the request comes from another site's page\n";
    default:
      return "";
  }
}

void answer(httplib::Response& response, const DesignerReply& reply) {
  response.status = reply.status;
  if (!reply.fileName.empty()) {
    response.set_header("Content-Disposition", "attachment; filename=\"" + reply.fileName + "\"");
  }
  response.set_content(reply.body, reply.contentType.c_str());
}

// The routes of the page's files and requests, behind the guard.
void route(httplib::Server& server, const DesignerGuard& guard, DesignerSession& session) {
  server.set_payload_max_length(kMaxDesignerBody);
  server.set_pre_routing_handler(
      [&guard](const httplib::Request& request, httplib::Response& response) {
        const GuardVerdict verdict =
            guard.check(request.method, request.path, request.get_header_value("Host"),
                        request.get_header_value("Origin"));
        if (verdict == GuardVerdict::kAllowed) return httplib::Server::HandlerResponse::Unhandled;
        response.status = 403;
        response.set_content(refusal(verdict), "text/plain; charset=utf-8");
        return httplib::Server::HandlerResponse::Handled;
      });
  server.set_default_headers({{"Cache-Control", "no-store"},
                              {"X-Content-Type-Options", "nosniff"},
                              {"Referrer-Policy", "no-referrer"}});
  server.Get(
      ".*", [&guard, &session](const httplib::Request& request, httplib::Response& response) {
        const std::string_view resource = guard.resource(request.path);
        if (request.path.back() != '/' && resource.empty()) {
          response.set_redirect(request.path + "/");
          return;
        }
        if (resource == "api/session") return answer(response, session.session());
        const DesignerAsset* asset = findDesignerAsset(resource.empty() ? "index.html" : resource);
        if (asset == nullptr) {
          response.status = 404;
          response.set_content("no such file\n", "text/plain; charset=utf-8");
          return;
        }
        response.set_content(std::string(asset->body), contentType(asset->name));
      });
  server.Post(
      ".*", [&guard, &session](const httplib::Request& request, httplib::Response& response) {
        const std::string_view resource = guard.resource(request.path);
        if (resource == "api/preview") return answer(response, session.preview(request.body));
        if (resource == "api/save") return answer(response, session.save(request.body));
        if (resource == "api/report") {
          return answer(response, session.report(request.body, request.get_param_value("format")));
        }
        response.status = 404;
        response.set_content("no such request\n", "text/plain; charset=utf-8");
      });
}

// Blocks the stop signals in this thread and every thread it starts, so that
// waitForStop() receives them.
sigset_t blockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return signals;
}

}  // namespace

int serveDesigner(DesignerOptions options, int port, std::ostream& out) {
  DesignerSession session(std::move(options));
  const sigset_t signals = blockStopSignals();
  httplib::Server ipv4;
  ipv4.set_address_family(AF_INET);
  const int bound = port == 0 ? ipv4.bind_to_any_port("127.0.0.1")
                              : (ipv4.bind_to_port("127.0.0.1", port) ? port : -1);
  if (bound <= 0) {
    std::cerr << "bomreport: serve: cannot listen on 127.0.0.1:" << port
              << " (in use? choose another with --port)\n";
    return 1;
  }
  const DesignerGuard guard(makeDesignerToken(), bound);
  route(ipv4, guard, session);
  std::vector<std::unique_ptr<httplib::Server>> servers;
  auto ipv6 = std::make_unique<httplib::Server>();
  ipv6->set_address_family(AF_INET6);
  if (ipv6->bind_to_port("::1", bound)) {
    route(*ipv6, guard, session);
    servers.push_back(std::move(ipv6));
  }
  std::vector<std::thread> listening;
  listening.emplace_back([&ipv4] { ipv4.listen_after_bind(); });
  for (auto& server : servers) {
    listening.emplace_back([&server] { server->listen_after_bind(); });
  }
  out << "designer: http://127.0.0.1:" << bound << "/" << guard.token() << "/" << std::endl;
  int received = 0;
  sigwait(&signals, &received);
  ipv4.stop();
  for (auto& server : servers) server->stop();
  for (std::thread& thread : listening) thread.join();
  out << "designer: stopped" << std::endl;
  return 0;
}

}  // namespace bomreport
