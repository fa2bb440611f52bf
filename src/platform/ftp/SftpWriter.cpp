#include "platform/ftp/SftpWriter.h"

#include <algorithm>
#include <cstring>
#include <poll.h>

namespace {

// SFTP version 3 (draft-ietf-secsh-filexfer-02): each message is uint32 length, byte type, then
// the type's fields; every request but INIT carries a uint32 id its answer repeats.
enum : uint8_t
{
    kInit = 1,
    kVersion = 2,
    kOpen = 3,
    kClose = 4,
    kWrite = 6,
    kStatus = 101,
    kHandle = 102,
};
constexpr uint32_t kOpenWrite = 0x02;
constexpr uint32_t kOpenAppend = 0x04;
constexpr uint32_t kStatusOk = 0;
constexpr uint32_t kVersion3 = 3;
// Answers this writer reads are small: a status with its message, a handle.
constexpr uint32_t kLongestAnswer = 64 * 1024;
constexpr size_t kLongestHandle = 256;
// How long the writer waits for the server to close its channel once done, in looks.
constexpr int kEndLooks = 50;
constexpr int kEndLookMs = 20;

void put32(char* at, uint32_t value)
{
    for (int i = 3; i >= 0; --i, value >>= 8)
        at[i] = static_cast<char>(value & 0xff);
}

uint32_t get32(const char* at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | static_cast<uint8_t>(at[i]);
    return value;
}

void append32(std::string& to, uint32_t value)
{
    char bytes[4];
    put32(bytes, value);
    to.append(bytes, 4);
}

void appendString(std::string& to, const std::string& text)
{
    append32(to, static_cast<uint32_t>(text.size()));
    to += text;
}

} // namespace

SftpWriter::SftpWriter(sftp_session sftp, size_t inFlight)
    : session(sftp->session)
    , beside(sftp->channel)
    , most(std::max<size_t>(1, inFlight))
{}

SftpWriter::~SftpWriter()
{
    if (!channel)
        return;
    if (!broken && ssh_channel_is_open(channel))
        ssh_channel_close(channel);
    ssh_channel_free(channel);
}

bool SftpWriter::start()
{
    channel = ssh_channel_new(session);
    if (!channel || ssh_channel_open_session(channel) != SSH_OK ||
        ssh_channel_request_subsystem(channel, "sftp") != SSH_OK) {
        broken = true;
        return false;
    }
    char init[9];
    put32(init, 5);
    init[4] = static_cast<char>(kInit);
    put32(init + 5, kVersion3);
    Reply reply;
    if (!send(init, sizeof init) || !readReply(reply) || reply.type != kVersion ||
        reply.id < kVersion3) {
        broken = true;
        return false;
    }
    return true;
}

bool SftpWriter::open(const std::string& path, bool append)
{
    std::string body;
    appendString(body, path);
    append32(body, kOpenWrite | (append ? kOpenAppend : 0));
    append32(body, 0); // no attributes: the file is there
    Reply reply;
    if (!request(kOpen, body, reply) || reply.type != kHandle)
        return false;
    handle = reply.handle;
    return true;
}

bool SftpWriter::write(char* data, uint32_t length, uint64_t offset)
{
    if (broken || refused || handle.empty())
        return false;
    while (pending.size() >= most)
        if (!settle())
            return false;
    const size_t header = 25 + handle.size();
    char* at = data - header;
    put32(at, static_cast<uint32_t>(header - 4 + length));
    at[4] = static_cast<char>(kWrite);
    const uint32_t id = nextId++;
    put32(at + 5, id);
    put32(at + 9, static_cast<uint32_t>(handle.size()));
    std::memcpy(at + 13, handle.data(), handle.size());
    char* after = at + 13 + handle.size();
    put32(after, static_cast<uint32_t>(offset >> 32));
    put32(after + 4, static_cast<uint32_t>(offset));
    put32(after + 8, length);
    if (!send(at, header + length))
        return false;
    pending.push_back({id, length});
    return true;
}

bool SftpWriter::close()
{
    while (!pending.empty() && !broken)
        settle();
    if (broken || handle.empty())
        return false;
    std::string body;
    appendString(body, handle);
    handle.clear();
    Reply reply;
    const bool closed =
        request(kClose, body, reply) && reply.type == kStatus && reply.status == kStatusOk;
    endChannel();
    return closed && !refused;
}

// The server's end of the channel is waited for: a kept connection with anything left to read
// counts as closed by the server.
void SftpWriter::endChannel()
{
    if (broken || ssh_channel_send_eof(channel) != SSH_OK)
        return;
    const socket_t fd = ssh_get_fd(session);
    for (int i = 0; i < kEndLooks; ++i) {
        if (ssh_channel_poll(beside, 0) == SSH_ERROR || ssh_channel_is_closed(channel))
            break;
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, kEndLookMs) < 0)
            break;
    }
}

bool SftpWriter::send(const char* data, size_t length)
{
    while (length > 0 && !broken) {
        const uint32_t piece = static_cast<uint32_t>(std::min<size_t>(length, 1u << 30));
        const int sent = ssh_channel_write(channel, data, piece);
        if (sent <= 0) {
            broken = true;
        } else {
            data += sent;
            length -= static_cast<size_t>(sent);
        }
    }
    return !broken;
}

bool SftpWriter::receive(char* into, size_t length)
{
    while (length > 0 && !broken) {
        const int got =
            ssh_channel_read_timeout(channel, into, static_cast<uint32_t>(length), 0, -1);
        if (got <= 0) {
            broken = true;
        } else {
            into += got;
            length -= static_cast<size_t>(got);
        }
    }
    return !broken;
}

// VERSION carries the version where other answers carry their id.
bool SftpWriter::readReply(Reply& reply)
{
    char head[9];
    if (!receive(head, sizeof head))
        return false;
    const uint32_t length = get32(head);
    if (length < 5 || length > kLongestAnswer) {
        broken = true;
        return false;
    }
    reply.type = static_cast<uint8_t>(head[4]);
    reply.id = get32(head + 5);
    std::string rest(length - 5, '\0');
    if (!receive(rest.data(), rest.size()))
        return false;
    if (reply.type == kStatus) {
        if (rest.size() < 4) {
            broken = true;
            return false;
        }
        reply.status = get32(rest.data());
    }
    if (reply.type == kHandle) {
        const uint32_t size = rest.size() >= 4 ? get32(rest.data()) : 0;
        if (size == 0 || size > kLongestHandle || size > rest.size() - 4) {
            broken = true;
            return false;
        }
        reply.handle = rest.substr(4, size);
    }
    return true;
}

bool SftpWriter::settle()
{
    if (pending.empty())
        return !broken && !refused;
    Reply reply;
    if (!readReply(reply))
        return false;
    const auto it = std::find_if(pending.begin(), pending.end(),
                                 [&](const Pending& p) { return p.id == reply.id; });
    if (it == pending.end() || reply.type != kStatus) {
        broken = true;
        return false;
    }
    const uint32_t length = it->length;
    pending.erase(it);
    if (reply.status != kStatusOk) {
        refused = true;
        return false;
    }
    done += length;
    return true;
}

// One request whose answer is waited for, with no write in flight.
bool SftpWriter::request(uint8_t type, const std::string& body, Reply& reply)
{
    std::string message;
    append32(message, static_cast<uint32_t>(5 + body.size()));
    message += static_cast<char>(type);
    const uint32_t id = nextId++;
    append32(message, id);
    message += body;
    if (!send(message.data(), message.size()) || !readReply(reply))
        return false;
    if (reply.id != id) {
        broken = true;
        return false;
    }
    return true;
}
