#pragma once
// What `k7700-cli publish` is told about the broker and its topics, checked before anything is
// sent: the broker's URL, the topic prefix and line name, the client id, the login and the
// certificate authority. The password never comes from the command line (ps shows that): it
// is read from a file or an environment variable. Toolkit-free.
#include <map>
#include <optional>
#include <string>

namespace k7 {

inline constexpr const char* kPasswordVariable = "K7700_MQTT_PASSWORD";

struct BrokerAddress {
    std::string url;  // as the messages name the broker: mqtt://HOST:PORT
    std::string host;
    int port = 1883;
    bool tls = false;
};

// mqtt://HOST[:PORT] or mqtts://HOST[:PORT] (default ports 1883 and 8883); HOST may be an
// IPv6 address in brackets. An error says what is wrong.
std::optional<std::string> parseBrokerUrl(const std::string& text, BrokerAddress& out);

// Topic parts must not hold the wildcards, NUL or empty levels; a level of its own also no
// "/". `what` names the option in the error.
std::optional<std::string> checkTopicPrefix(const std::string& prefix);
std::optional<std::string> checkTopicLevel(const std::string& what, const std::string& level);

struct PublishSettings {
    BrokerAddress broker;
    std::string prefix = "k7700";
    std::string line;
    std::string clientId;
    std::string username;
    std::optional<std::string> password;
    std::string caFile;  // empty: the system's certificate authorities (with TLS)
    bool homeAssistant = false;

    std::string base() const { return prefix + "/" + line; }  // P/LINE
};

// Reads the options given, by name (--broker, --line, --topic-prefix, --client-id, --username,
// --password-file, --tls-ca, --discovery), into `out`; the password file (or `passwordEnv`,
// the variable's value when set) is read here. `defaultLine` names the line without --line.
// An error is bad usage: it names the option and what is wrong.
std::optional<std::string> readPublishSettings(const std::map<std::string, std::string>& given,
                                               const std::string& defaultLine,
                                               const char* passwordEnv, PublishSettings& out);

}  // namespace k7
