#pragma once
// The device's end of a pseudo-terminal pair. The host keeps only the master;
// the program opens the slave as its serial port. What Linux shows of the
// slave on the master is all the host has to go by:
//  - poll on the master reports POLLHUP while no one has the slave open, but
//    only once the slave has been opened and closed at least once (a fresh
//    pair reports nothing), so Open() opens and closes it once itself;
//  - reading the master gives EIO once the slave is closed and everything
//    it wrote has been read;
//  - the terminal settings read on the master are the slave's, so the line
//    speed the program set is visible there;
//  - bytes written to the master while the slave is closed wait for its next
//    opener, and an exclusive-use flag left set by a program that died stays
//    on the slave for as long as the master lives, locking others out;
//  - nothing on the master tells that the slave was opened: the host learns
//    it from an inotify watch on the slave's device node instead.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tvqx::sim {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    PseudoTerminal(PseudoTerminal&& other) noexcept;
    PseudoTerminal& operator=(PseudoTerminal&& other) noexcept;
    ~PseudoTerminal();

    // A new pair whose slave is raw at 9600 baud, like a serial port nobody
    // has set up yet.
    bool Open(std::string& error);
    bool IsOpen() const { return m_master >= 0; }
    int Master() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }

    // Readable when someone has opened the slave since the last
    // DrainOpenNotices (-1 when the system gives no such notice).
    int OpenNotifier() const { return m_openNotifier; }
    void DrainOpenNotices() const;

    // The speed the slave is set to, in baud (0 when it cannot be read).
    uint32_t LineSpeed() const;

    enum class Reset { Done, InUse, Locked };
    // Readies the slave for its next opener after one closed it: drops any
    // unread bytes waiting for the program and clears a left-over
    // exclusive-use flag. Locked: the flag cannot be cleared from here (not
    // privileged), and only a new pair will do. InUse: someone has it open.
    Reset ResetSlave() const;

private:
    Reset OpenAndCloseSlave() const;

    void Close();

    int m_master = -1;
    int m_openNotifier = -1;
    std::string m_slavePath;
};

} // namespace tvqx::sim
