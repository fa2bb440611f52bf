#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <libssh/libssh.h>
#include <libssh/sftp.h>
#include <string>

// A file's bytes sent to an SFTP server with many writes in flight, as OpenSSH's sftp sends
// them: libssh 0.10's sftp_write waits for each write's answer before the next goes, so that
// client and server never work at the same time. The writer speaks SFTP version 3 (OPEN, WRITE,
// CLOSE and their answers) on a channel of its own beside libssh's SFTP session, on the same
// logged-in SSH session; everything else stays on libssh's. Blocking calls, on the thread that
// owns the session; shutting the socket down ends any wait.
class SftpWriter final
{
public:
    // What the caller leaves writable in front of each write's bytes: the write's header goes
    // there, so that header and bytes leave in one piece without a copy (a handle is at most
    // 256 bytes).
    static constexpr size_t kHeaderRoom = 25 + 256;

    // Beside sftp, on its SSH session.
    SftpWriter(sftp_session sftp, size_t inFlight);
    ~SftpWriter();

    // The channel, the SFTP subsystem on it and the protocol's version. False: the server
    // would not (it may allow one session per connection), or the connection broke.
    bool start();
    // Opens a file that is there for writing, appending (the server's file end decides where
    // each write goes) or at the offsets given.
    bool open(const std::string& path, bool append);
    // Sends length bytes (kHeaderRoom writable bytes before them) to go at offset; with as many
    // writes in flight as allowed, waits for the oldest answer first. False once a write was
    // refused or the channel broke: nothing more is sent.
    bool write(char* data, uint32_t length, uint64_t offset);
    // Waits for the answer to one write in flight: false when it refused the write or never
    // came.
    bool settle();
    bool idle() const { return pending.empty(); }
    // Waits for every answer, then closes the file and the channel: true when every write and
    // the close were confirmed.
    bool close();
    // The bytes of the writes the server confirmed.
    int64_t confirmed() const { return done; }

    SftpWriter(const SftpWriter&) = delete;
    SftpWriter& operator=(const SftpWriter&) = delete;

private:
    struct Reply
    {
        uint8_t type = 0;
        uint32_t id = 0;
        uint32_t status = 0; // SSH_FXP_STATUS's code
        std::string handle;  // SSH_FXP_HANDLE's
    };
    bool send(const char* data, size_t length);
    bool receive(char* into, size_t length);
    bool readReply(Reply& reply);
    bool request(uint8_t type, const std::string& body, Reply& reply);
    void endChannel();

    ssh_session session;
    ssh_channel beside; // libssh's own SFTP channel
    ssh_channel channel = nullptr;
    const size_t most;
    std::string handle;
    uint32_t nextId = 1;
    struct Pending
    {
        uint32_t id;
        uint32_t length;
    };
    std::deque<Pending> pending;
    int64_t done = 0;
    bool broken = false;  // the channel failed or answered what it should not
    bool refused = false; // a write was refused
};
