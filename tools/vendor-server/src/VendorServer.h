#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class SSLServer;
struct Request;
struct Response;
}  // namespace httplib

namespace vimbrel::vendor {

// How the server answers; changed at run time with setBehaviour() or by a
// POST of a JSON object with any of these fields to "/control".
struct Behaviour {
  std::string trackStatus = "accepted";     // "/track": "accepted", "rejected" or any other status
  std::string transferStatus = "accepted";  // "/transfer"
  bool failTrack = false;                   // "/track" answers 500 with a body that is not JSON
  bool failTransfer = false;
  int delayMs = 0;               // waits this long before every answer
  bool emptyTools = false;       // "config/tools" lists no tool
  bool toolsWithoutIp = false;   // "config/tools" has no "ip"
  bool keysWithoutPlan = false;  // "config/keys" has no entry for the plan
  bool nullValues = false;       // "ip" and the plan's write key are JSON null
  bool configFailure = false;    // both configuration answers say "success": false
  bool failPrompts = false;      // "lumora/*" answer with an error message
  std::string planUid = "plan-demo";
  std::string writeKey = "write-key-demo";
  std::string ip = "127.0.0.1";
};

void to_json(nlohmann::json& json, const Behaviour& behaviour);
void from_json(const nlohmann::json& json, Behaviour& behaviour);

// One request as the server understood it.
struct RecordedRequest {
  std::string path;
  std::string host;
  std::string contentType;
  std::string body;
  // "/track", "/transfer": the parsed body. Vendor API: the form fields, with
  // the encrypted "arg" decrypted and split into its fields, "system" decoded.
  nlohmann::json content;
};

struct ServerOptions {
  std::string host = "127.0.0.1";
  int port = 0;          // 0: any free port
  std::string certFile;  // both empty: generate a certificate into certFolder
  std::string keyFile;
  std::string certFolder;  // empty: a new temporary folder
  std::string logFile;     // one JSON line per request; empty: no log
  Behaviour behaviour;
};

// The stand-in for the vendor's analytics service and API over HTTPS.
class VendorServer {
 public:
  explicit VendorServer(ServerOptions options);
  ~VendorServer();
  VendorServer(const VendorServer&) = delete;
  VendorServer& operator=(const VendorServer&) = delete;

  // Binds and starts serving on a thread of its own; an error message on failure.
  std::string start();
  void stop();

  int port() const { return port_; }
  std::string baseUrl() const;
  // The certificate clients must trust.
  std::string certificateFile() const { return certFile_; }

  void setBehaviour(const Behaviour& behaviour);
  Behaviour behaviour() const;
  std::vector<RecordedRequest> requests() const;
  std::vector<RecordedRequest> requests(const std::string& path) const;
  void clearRequests();

 private:
  void handle(const httplib::Request& request, httplib::Response& response);
  std::string answerConfig(const std::string& method, const nlohmann::json& fields,
                           const Behaviour& behaviour) const;
  void record(RecordedRequest entry);

  ServerOptions options_;
  std::string certFile_;
  std::string keyFile_;
  int port_ = 0;
  std::unique_ptr<httplib::SSLServer> server_;
  std::thread thread_;
  mutable std::mutex mutex_;
  Behaviour behaviour_;
  std::vector<RecordedRequest> requests_;
};

}  // namespace vimbrel::vendor
