#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Framing of requests and parsing and checking of replies on the controller's ASCII line.
namespace tavro {

// The last command that was not a monitor poll; the resend path rebuilds its frame from here.
struct RequestRecord {
    int controllerId = 0;
    std::string body;  // "%02X %s": ID, space, command text
    std::string code;  // first two characters of the command text
    std::string args;  // command text after its first three characters
    int checksum = 0;
};

struct ReplyRecord {
    int controllerId = 0;
    std::string body;  // everything but the two checksum characters
    std::string code;
    std::string status;
    std::string data;
    int checksum = -1;  // -1 when the checksum characters are not hexadecimal
};

// Two's complement of the byte sum: body bytes plus the checksum byte sum to 0 mod 256.
std::uint8_t Checksum(std::string_view text);

// The body "%02X %s" for an ID and a command text.
std::string RequestBody(int controllerId, std::string_view commandText);

// ":" + body + two hex checksum digits + CR LF, for a body built by RequestBody.
std::string FrameFromBody(std::string_view body);

// Builds the whole frame and refreshes `last`, except for monitor polls, which leave it alone.
std::string BuildRequest(int controllerId, std::string_view commandText, RequestRecord& last);

// Splits a delivered text (between ":" and CR); nullopt when shorter than 8 characters.
std::optional<ReplyRecord> ParseReply(std::string_view text);

// False when ID, command code (unless the reply is "MO") or checksum do not match.
bool CheckReply(const ReplyRecord& reply, const RequestRecord& lastRequest);

bool IsOk(const ReplyRecord& reply);

// Two hex digits as "%x" reads them (either case); -1 when the first is not a hex digit.
int ParseHexField(std::string_view text);

}  // namespace tavro
