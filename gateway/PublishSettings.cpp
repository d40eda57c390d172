#include "gateway/PublishSettings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QStringDecoder>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace k7 {
namespace {

bool validUtf8(const std::string& text) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString decoded =
        decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return !decoder.hasError();
}

std::optional<std::string> checkTopicText(const std::string& what, const std::string& text) {
    if (text.empty()) return what + " must not be empty";
    if (text.find_first_of(std::string("+#\0", 3)) != std::string::npos)
        return what + " must not hold \"+\", \"#\" or a NUL character (\"" + text + "\")";
    if (!validUtf8(text)) return what + " must be UTF-8 text";
    if (text.size() > 1000) return what + " is longer than 1000 bytes";
    return std::nullopt;
}

// A file the program can read, or why not, naming it.
std::optional<std::string> readableFile(const std::string& option, const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || access(path.c_str(), R_OK) != 0)
        return option + ": cannot read " + path + ": " + std::strerror(errno);
    if (!S_ISREG(st.st_mode)) return option + ": " + path + " is not a regular file";
    return std::nullopt;
}

std::optional<std::string> readPasswordFile(const std::string& path, std::string& password) {
    if (auto e = readableFile("--password-file", path)) return e;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line))
        return "--password-file: cannot read " + path + ": it is empty or unreadable";
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) return "--password-file: " + path + " holds no password on its first line";
    if (line.size() > 65535) return "--password-file: the password in " + path + " is too long";
    password = line;
    return std::nullopt;
}

std::string hostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || !*name) return "host";
    return name;
}

}  // namespace

std::optional<std::string> parseBrokerUrl(const std::string& text, BrokerAddress& out) {
    const std::string form = "--broker must be mqtt://HOST[:PORT] or mqtts://HOST[:PORT]";
    std::string rest;
    if (text.rfind("mqtt://", 0) == 0) {
        out.tls = false;
        rest = text.substr(7);
    } else if (text.rfind("mqtts://", 0) == 0) {
        out.tls = true;
        rest = text.substr(8);
    } else {
        return form + " (\"" + text + "\")";
    }
    if (rest.find('@') != std::string::npos)
        return "--broker: give the user name with --username and the password in a file "
               "(--password-file), not in the URL";
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    std::string host, port;
    bool portGiven = false;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string::npos) return form + ": \"[\" without \"]\"";
        host = rest.substr(1, close - 1);
        const std::string after = rest.substr(close + 1);
        if (!after.empty() && after.front() != ':') return form + " (\"" + text + "\")";
        portGiven = !after.empty();
        if (portGiven) port = after.substr(1);
        for (char c : host)
            if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.')
                return form + ": \"" + host + "\" is no IPv6 address";
    } else {
        const std::size_t colon = rest.find(':');
        host = rest.substr(0, colon);
        portGiven = colon != std::string::npos;
        if (portGiven) port = rest.substr(colon + 1);
        for (char c : host)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_')
                return form + ": \"" + host + "\" is no host name";
    }
    if (host.empty()) return form + ": no host (\"" + text + "\")";
    int number = out.tls ? 8883 : 1883;
    if (portGiven) {
        if (port.empty() || port.size() > 5 ||
            port.find_first_not_of("0123456789") != std::string::npos ||
            (number = std::stoi(port)) < 1 || number > 65535)
            return "--broker: the port must be a number from 1 to 65535 (\"" + text + "\")";
    }
    out.host = host;
    out.port = number;
    const bool v6 = host.find(':') != std::string::npos;
    out.url = std::string(out.tls ? "mqtts://" : "mqtt://") + (v6 ? "[" + host + "]" : host) + ":" +
              std::to_string(number);
    return std::nullopt;
}

std::optional<std::string> checkTopicPrefix(const std::string& prefix) {
    if (auto e = checkTopicText("--topic-prefix", prefix)) return e;
    if (prefix.front() == '$') return "--topic-prefix must not start with \"$\" (the broker's own)";
    if (prefix.front() == '/' || prefix.back() == '/' || prefix.find("//") != std::string::npos)
        return "--topic-prefix must not have an empty level (\"" + prefix + "\")";
    return std::nullopt;
}

std::optional<std::string> checkTopicLevel(const std::string& what, const std::string& level) {
    if (auto e = checkTopicText(what, level)) return e;
    if (level.find('/') != std::string::npos)
        return what + " must be one topic level, without \"/\" (\"" + level + "\")";
    return std::nullopt;
}

std::optional<std::string> readPublishSettings(const std::map<std::string, std::string>& given,
                                               const std::string& defaultLine,
                                               const char* passwordEnv, PublishSettings& out) {
    auto value = [&given](const char* name) -> const std::string* {
        const auto it = given.find(name);
        return it == given.end() ? nullptr : &it->second;
    };
    const std::string* broker = value("--broker");
    if (!broker) return "publish needs the broker: --broker mqtt://HOST[:PORT]";
    if (auto e = parseBrokerUrl(*broker, out.broker)) return e;
    if (const std::string* p = value("--topic-prefix")) out.prefix = *p;
    if (auto e = checkTopicPrefix(out.prefix)) return e;
    out.line = value("--line") ? *value("--line") : defaultLine;
    if (auto e = checkTopicLevel("--line", out.line)) return e;
    out.clientId = value("--client-id") ? *value("--client-id") : "k7700-" + hostName() + "-" + out.line;
    if (out.clientId.empty() || out.clientId.size() > 65535 || !validUtf8(out.clientId) ||
        out.clientId.find('\0') != std::string::npos)
        return "--client-id must be UTF-8 text of 1 to 65535 bytes";

    if (const std::string* u = value("--username")) out.username = *u;
    if (const std::string* f = value("--password-file")) {
        if (out.username.empty()) return "--password-file needs --username";
        std::string password;
        if (auto e = readPasswordFile(*f, password)) return e;
        out.password = password;
    } else if (passwordEnv && !out.username.empty()) {
        out.password = passwordEnv;
    }
    if (value("--username") && out.username.empty()) return "--username must not be empty";

    if (const std::string* ca = value("--tls-ca")) {
        if (!out.broker.tls)
            return "--tls-ca verifies a broker spoken to over TLS: write it as "
                   "mqtts://HOST[:PORT]";
        if (auto e = readableFile("--tls-ca", *ca)) return e;
        out.caFile = *ca;
    }
    if (const std::string* d = value("--discovery")) {
        if (*d != "homeassistant") return "--discovery must be homeassistant";
        out.homeAssistant = true;
    }
    return std::nullopt;
}

}  // namespace k7
