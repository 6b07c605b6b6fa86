#include "VendorServer.h"

#include <httplib.h>
#include <stdlib.h>

#include <chrono>
#include <fstream>

#include "VendorCertificate.h"
#include "VendorCipher.h"

namespace vimbrel::vendor {
namespace {

using nlohmann::json;

// Splits a form body into its fields.
json formFields(const std::string& body) {
  json fields = json::object();
  std::size_t start = 0;
  while (start <= body.size()) {
    const std::size_t end = std::min(body.find('&', start), body.size());
    const std::string pair = body.substr(start, end - start);
    if (!pair.empty()) {
      const std::size_t equals = pair.find('=');
      const std::string key = cipher::percentDecode(pair.substr(0, equals));
      fields[key] =
          equals == std::string::npos ? "" : cipher::percentDecode(pair.substr(equals + 1));
    }
    start = end + 1;
  }
  return fields;
}

// The encrypted family: "arg" holds the encrypted query. The result keeps the
// decrypted query text too, and the decoded machine description.
json encryptedFields(const std::string& body) {
  const json outer = formFields(body);
  json content = {{"encrypted", true}};
  if (!outer.contains("arg")) return content;
  const auto query = cipher::decryptArgument(outer["arg"].get<std::string>());
  if (!query) {
    content["error"] = "arg does not decrypt";
    return content;
  }
  content["query"] = *query;
  content["fields"] = formFields(*query);
  if (content["fields"].contains("system")) {
    const std::string system = cipher::base64Decode(content["fields"]["system"].get<std::string>());
    content["system"] = json::parse(system, nullptr, false);
  }
  return content;
}

}  // namespace

void to_json(json& j, const Behaviour& b) {
  j = json{{"trackStatus", b.trackStatus},
           {"transferStatus", b.transferStatus},
           {"failTrack", b.failTrack},
           {"failTransfer", b.failTransfer},
           {"delayMs", b.delayMs},
           {"emptyTools", b.emptyTools},
           {"toolsWithoutIp", b.toolsWithoutIp},
           {"keysWithoutPlan", b.keysWithoutPlan},
           {"nullValues", b.nullValues},
           {"configFailure", b.configFailure},
           {"failPrompts", b.failPrompts},
           {"planUid", b.planUid},
           {"writeKey", b.writeKey},
           {"ip", b.ip}};
}

void from_json(const json& j, Behaviour& b) {
  auto take = [&j](const char* key, auto& field) {
    if (j.contains(key)) j.at(key).get_to(field);
  };
  take("trackStatus", b.trackStatus);
  take("transferStatus", b.transferStatus);
  take("failTrack", b.failTrack);
  take("failTransfer", b.failTransfer);
  take("delayMs", b.delayMs);
  take("emptyTools", b.emptyTools);
  take("toolsWithoutIp", b.toolsWithoutIp);
  take("keysWithoutPlan", b.keysWithoutPlan);
  take("nullValues", b.nullValues);
  take("configFailure", b.configFailure);
  take("failPrompts", b.failPrompts);
  take("planUid", b.planUid);
  take("writeKey", b.writeKey);
  take("ip", b.ip);
}

VendorServer::VendorServer(ServerOptions options)
    : options_(std::move(options)), behaviour_(options_.behaviour) {}

VendorServer::~VendorServer() { stop(); }

std::string VendorServer::start() {
  certFile_ = options_.certFile;
  keyFile_ = options_.keyFile;
  if (certFile_.empty() || keyFile_.empty()) {
    std::string folder = options_.certFolder;
    if (folder.empty()) {
      std::string pattern = "/tmp/vendor-server-XXXXXX";
      if (!mkdtemp(pattern.data())) return "could not create a folder for the certificate";
      folder = pattern;
    }
    if (std::string error = generateCertificate(folder); !error.empty()) return error;
    certFile_ = folder + "/cert.pem";
    keyFile_ = folder + "/key.pem";
  }
  server_ = std::make_unique<httplib::SSLServer>(certFile_.c_str(), keyFile_.c_str());
  if (!server_->is_valid()) return "the certificate or key cannot be used";
  // Short keep-alive so that stopping never waits long for idle connections.
  server_->set_keep_alive_timeout(1);
  auto handler = [this](const httplib::Request& request, httplib::Response& response) {
    handle(request, response);
  };
  server_->Post(R"(/.*)", handler);
  server_->Get("/control", handler);
  port_ = options_.port == 0
              ? server_->bind_to_any_port(options_.host)
              : (server_->bind_to_port(options_.host, options_.port) ? options_.port : -1);
  if (port_ <= 0) return "could not listen on " + options_.host;
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  return {};
}

void VendorServer::stop() {
  if (!server_) return;
  server_->stop();
  if (thread_.joinable()) thread_.join();
  server_.reset();
}

std::string VendorServer::baseUrl() const {
  return "https://" + options_.host + ":" + std::to_string(port_);
}

void VendorServer::setBehaviour(const Behaviour& behaviour) {
  std::lock_guard lock(mutex_);
  behaviour_ = behaviour;
}

Behaviour VendorServer::behaviour() const {
  std::lock_guard lock(mutex_);
  return behaviour_;
}

std::vector<RecordedRequest> VendorServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<RecordedRequest> VendorServer::requests(const std::string& path) const {
  std::vector<RecordedRequest> matching;
  for (RecordedRequest& entry : requests()) {
    if (entry.path == path) matching.push_back(std::move(entry));
  }
  return matching;
}

void VendorServer::clearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

void VendorServer::record(RecordedRequest entry) {
  std::lock_guard lock(mutex_);
  if (!options_.logFile.empty()) {
    std::ofstream log(options_.logFile, std::ios::app);
    log << json{{"time", std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count()},
                {"path", entry.path},
                {"host", entry.host},
                {"content_type", entry.contentType},
                {"content", entry.content}}
               .dump()
        << '\n';
  }
  requests_.push_back(std::move(entry));
}

std::string VendorServer::answerConfig(const std::string& method, const json& fields,
                                       const Behaviour& b) const {
  json answer = {{"success", !b.configFailure}};
  if (method == "config/tools") {
    answer["response"] = json::array();
    if (!b.emptyTools) {
      answer["response"].push_back(
          {{"tool", "analytics"}, {"state", "active"}, {"plan", {{"uid", b.planUid}}}});
    }
    if (!b.toolsWithoutIp) answer["ip"] = b.ip;
    if (b.nullValues) answer["ip"] = nullptr;
  } else if (method == "config/keys") {
    const std::string plan = fields.value("uid", std::string());
    answer["response"] = json::object();
    if (!b.keysWithoutPlan) answer["response"][plan.empty() ? b.planUid : plan] = b.writeKey;
    if (b.nullValues) answer["response"][plan.empty() ? b.planUid : plan] = nullptr;
  } else {
    answer = {{"success", false}, {"error", {{"message", "unknown method " + method}}}};
  }
  return cipher::encryptAnswer(answer.dump());
}

void VendorServer::handle(const httplib::Request& request, httplib::Response& response) {
  const std::string& path = request.path;
  if (path == "/control") {
    if (request.method == "POST") {
      const json update = json::parse(request.body, nullptr, false);
      if (!update.is_object()) {
        response.status = 400;
        return;
      }
      std::lock_guard lock(mutex_);
      from_json(update, behaviour_);
    }
    std::lock_guard lock(mutex_);
    response.set_content(json{{"behaviour", behaviour_}, {"requests", requests_.size()}}.dump(),
                         "application/json");
    return;
  }
  const Behaviour b = behaviour();
  RecordedRequest entry{path, request.get_header_value("Host"),
                        request.get_header_value("Content-Type"), request.body, json()};
  if (path == "/track" || path == "/transfer") {
    entry.content = json::parse(request.body, nullptr, false);
  } else if (path.rfind("/2.2/", 0) == 0) {
    entry.content = encryptedFields(request.body);
  } else {
    entry.content = formFields(request.body);
  }
  const json fields =
      entry.content.is_object() ? entry.content.value("fields", json::object()) : json::object();
  record(std::move(entry));
  if (b.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(b.delayMs));

  if (path == "/track" || path == "/transfer") {
    const bool fail = path == "/track" ? b.failTrack : b.failTransfer;
    if (fail) {
      response.status = 500;
      response.set_content("Internal Server Error", "text/plain");
      return;
    }
    const std::string& status = path == "/track" ? b.trackStatus : b.transferStatus;
    response.set_content(json{{"status", status}}.dump(), "application/json");
  } else if (path.rfind("/2.2/", 0) == 0) {
    response.set_content(answerConfig(path.substr(5), fields, b), "text/plain");
  } else if (path.rfind("/3.1/lumora/", 0) == 0) {
    const json answer = b.failPrompts ? json{{"error", {{"message", "The answer was refused"}}}}
                                      : json{{"success", true}};
    response.set_content(answer.dump(), "application/json");
  } else {
    response.status = 404;
  }
}

}  // namespace vimbrel::vendor
