#include "link/Frame.h"

#include <cstdio>

#include "link/Command.h"

namespace tavro {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

std::uint8_t Checksum(std::string_view text) {
    unsigned sum = 0;
    for (char c : text) {
        sum += static_cast<unsigned char>(c);
    }
    return static_cast<std::uint8_t>((256U - (sum & 0xFFU)) & 0xFFU);
}

std::string RequestBody(int controllerId, std::string_view commandText) {
    char id[8];
    std::snprintf(id, sizeof id, "%02X", static_cast<unsigned>(controllerId) & 0xFFU);
    std::string body(id);
    body += ' ';
    body += commandText;
    return body;
}

std::string FrameFromBody(std::string_view body) {
    char sum[4];
    std::snprintf(sum, sizeof sum, "%02X", static_cast<unsigned>(Checksum(body)));
    std::string frame;
    frame.reserve(body.size() + 5);
    frame += ':';
    frame += body;
    frame += sum;
    frame += "\r\n";
    return frame;
}

std::string BuildRequest(int controllerId, std::string_view commandText, RequestRecord& last) {
    std::string body = RequestBody(controllerId, commandText);
    if (!EndsWith(body, cmd::kMonitor)) {
        last.controllerId = controllerId;
        last.code = std::string(commandText.substr(0, 2));
        last.args = commandText.size() > 3 ? std::string(commandText.substr(3)) : std::string();
        last.checksum = Checksum(body);
        last.body = body;
    }
    return FrameFromBody(body);
}

int ParseHexField(std::string_view text) {
    int value = -1;
    for (char c : text) {
        int d = HexDigit(c);
        if (d < 0) {
            break;
        }
        value = (value < 0 ? 0 : value) * 16 + d;
    }
    return value;
}

std::optional<ReplyRecord> ParseReply(std::string_view text) {
    if (text.size() < 8) {
        return std::nullopt;
    }
    ReplyRecord reply;
    reply.controllerId = ParseHexField(text.substr(0, 2));
    reply.code = std::string(text.substr(2, 2));
    reply.status = std::string(text.substr(4, 2));
    reply.data = std::string(text.substr(6, text.size() - 8));
    reply.body = std::string(text.substr(0, text.size() - 2));
    reply.checksum = ParseHexField(text.substr(text.size() - 2));
    return reply;
}

bool CheckReply(const ReplyRecord& reply, const RequestRecord& lastRequest) {
    if (reply.code != lastRequest.code && reply.code != cmd::kCodeMonitor) {
        return false;
    }
    if (reply.controllerId != lastRequest.controllerId) {
        return false;
    }
    return reply.checksum == static_cast<int>(Checksum(reply.body));
}

bool IsOk(const ReplyRecord& reply) {
    return reply.status == cmd::kStatusOk;
}

}  // namespace tavro
