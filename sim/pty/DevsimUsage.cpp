#include "sim/pty/DevsimOptions.h"

namespace tvqx::sim {

std::string DevsimUsage()
{
    return R"(Usage: tvqx-devsim --com N [--units K] [--variant NAME] [options]

A virtual Tollvane QX-R on a pseudo-terminal. It appears as serial port COMN
(an entry in the port directory, $XDG_CONFIG_HOME/Ostrale Systems/ports/, by
default ~/.config/Ostrale Systems/ports/) for as long as it runs, so that the
update program can update it like a unit on a real serial line. With
--units K it hosts K such units at once, on COMN to COMN+K-1.

A pseudo-terminal has no DTR or RTS: the device is powered while a program
has the port open, and powered down when the program closes it. It answers
only at its own line speed; at any other speed both directions turn to
garbage, as on a real line. Its flash (65536 bytes, erased to 0xFF) is kept
across power cycles.

Units (--variant NAME or its number; each is the unit one update variant of
the program meets):
  page, 10              the page boot loader: entry command, version, '!',
                        128-byte pages; 9600 baud (the default)
  row-wake, 1           answers the wake-up poll 0xC0 with 0xD0, then the row
                        boot loader: entry command, version, '?', one HEX
                        record per XON, XOFF and '~' after each, '@' after the
                        end-of-file record; all at 115200 baud
  row-app, 2            the row boot loader at 115200 baud, already running.
                        A pseudo-terminal has no DSR, so the program finds DSR
                        off and takes the unit to be in its boot loader: this
                        is that path. --in-application powers it up in its
                        application instead, for trying "<V" and "<W" by hand
  page256-wake, 4       answers the wake-up poll, then the page boot loader
                        with 256-byte pages; 9600 baud
  page256-start, 5      the same, but it listens for polls only after the
                        start command "<#:Z"
  radio-row, 3          a radio gateway (38400 baud) reaching over its radio
                        a remote unit whose front answers the probe 0x80 with
                        0x90 until its row boot loader has been sent anything
  radio-page, 6         the same with the probe 0xC0 / 0xD0 and the page boot
                        loader with 256-byte pages

General:
  --com N               appear as COMN, N from 1 to 22 (required)
  --units K             host K units of the chosen variant on COMN to
                        COMN+K-1 (COM22 at most), each with its own
                        pseudo-terminal, line pacing and flash, and each
                        unit's trace lines begun with its port ("COM5: ");
                        default 1
  --faulty-unit COMn    --noise-at and the options under the headings below
                        (the faults, the application's and the radio units'
                        settings) go to the unit on COMn alone; the others
                        are healthy units. Without it, every unit gets them
  --variant NAME        the unit, see above
  --updates K           end after K completed updates (end marker or
                        end-of-file record received, then the port closed;
                        for the radio units, closed with the gateway back in
                        command mode); default: run until stopped
  --fast                no line pacing: bytes reach the device as soon as they
                        are read and answers go out as soon as they are due
                        (by default both directions take as long as on a real
                        line: 10 bits per byte at the line speed)
  --flash-out FILE      after every completed update, and at the power-off
                        after it, write the 65536-byte flash to FILE.
                        {port} in FILE stands for the unit's port (COM5);
                        FILE ending in '/' is a folder (made if missing) in
                        which each unit writes COMn.bin. With --units, one
                        of the two
  --quiet               no trace line for steps that went as they should:
                        pages taken and answered '!', rows written, polls
                        after the first (everything else is still shown)
  --noise-at MS:HEX     put the bytes HEX (e.g. 0D0A) on the line MS
                        milliseconds after start, whatever the device does
                        (repeatable; for the radio units, the gateway's line)
  --help                this text

Boot loader faults (every unit; all off by default: a healthy unit):
  --no-answer           ignore the entry command (no version, no ready byte)
  --version TEXT        answer TEXT instead of TVQXR-1-4.00 (then CR)
  --version-pieces N:MS[,N:MS...]
                        send the version answer in pieces: N bytes after a
                        pause of MS milliseconds each; the rest follows at once
  --no-ready            send no ready byte after the version
  --ready-byte HEX      send this byte instead of '!' (21; rows: '?', 3F)
  --ready-delay MS      pause between the version answer and the ready byte
  --response-delay MS   answer everything MS milliseconds late
  --end-answer HEX      the byte sent after the end marker or the end-of-file
                        record (default 21, '!'; rows: 40, '@')
  --silent-after-end    send nothing after the end marker or end-of-file record

Page faults (page, page256-wake, page256-start, radio-page):
  --ready-after-wrong   follow the wrong ready byte with '!'
  --resend PAGE:COUNT   answer page PAGE with '@' COUNT times before taking it
                        (repeatable)
  --page-answer PAGE:HEX
                        write page PAGE but answer it with HEX instead of '!'
                        (repeatable)
  --hang-at-page P      hang when page P arrives: no answer, nothing written
  --noise-before-answer N:HEX
                        put the bytes HEX on the line just before answer N
                        (0 the version, 1 the ready byte, 2 the first page's
                        answer, ...) (repeatable)

Row faults (row-wake, row-app, radio-row). Rows count from 1, as the program's progress
line does; ROW's XON is the one asking for it, its XOFF and '~' answer it:
  --xon-delay MS        pause before every XON
  --row-write MS        pause between a row's XOFF and its '~'
  --no-xon ROW          send no XON for row ROW (repeatable, as are all below)
  --wrong-xon ROW:HEX   send the bytes HEX instead of row ROW's XON
  --no-xoff ROW         send no XOFF after row ROW
  --wrong-xoff ROW:HEX  send the bytes HEX instead of row ROW's XOFF
  --no-line-complete ROW
                        send no '~' after row ROW
  --wrong-line-complete ROW:HEX
                        send the bytes HEX instead of row ROW's '~'
  --at-storm ROW:COUNT  send COUNT '@' instead of row ROW's XOFF
  --silent-at-row ROW:CHAR
                        go silent when character CHAR of row ROW arrives (1
                        is its ':'): nothing taken or answered until the port
                        is closed

Wake-up faults (row-wake, page256-wake, page256-start):
  --polls-before-wake N answer only the Nth poll with 0xD0 (default 1)
  --never-wake          never answer a poll
  --wake-delay MS       pause between the waking poll and 0xD0
  --wake-noise HEX      send the bytes HEX just before 0xD0
  --wake-noise-after HEX
                        send the bytes HEX just after 0xD0
  --poll-answer HEX     answer every poll that does not wake the unit with HEX
  --start-answer HEX    page256-start only: answer the start command with HEX

Application (row-app with --in-application; 9600 baud, DSR up, which the
program cannot see here):
  --in-application      power up in the application: it answers "<V" and, on
                        "<W", drops DSR and hands over to the boot loader
  --app-answer TEXT     answer "<V" with TEXT as it stands (no CR added)
                        instead of TVQXR-APP-4.12 + CR
  --no-app-answer       leave "<V" unanswered
  --app-answer-delay MS pause before the answer to "<V"
  --handover-delay MS   time from "<W" to DSR dropping (default 50)
  --dsr-never-drops     ignore "<W"

Radio units (radio-row, radio-page). The gateway has its own supply: its
state survives the port being closed, but nothing it sends while the port is
closed arrives. The remote unit's Setup button sends its parameter line
$ROVER,<id>,<SH>,<SL>,<PAN>,<CH>*<XX> + CR, heard only while the gateway
listens ("<RS"); send the process SIGUSR1 to press it, e.g.
kill -USR1 <pid>:
  --gateway-baud N      the one speed the gateway talks (default 38400)
  --no-gateway          nothing on the line answers anything
  --link-configured     both ends already hold each other's serial number:
                        the first probe is answered and no dialog is needed
  --module-id C         the remote unit's module ID, a letter or digit
                        (default 7)
  --setup-after MS      press Setup MS milliseconds after the gateway starts
                        listening (default 1500)
  --answer-fault PARAM=KIND
                        bend the answer frame for PARAM (the gateway's CH, ID,
                        SH, SL, DH, DL; the remote unit's rDH, rDL); KIND is
                        missing, short (its last byte left off), wrong-type,
                        bad-status or wrong-letters (repeatable)
  --module-id-answer TEXT
                        answer "I" with TEXT + CR instead of the module ID
  --link-never-up       the remote unit never takes its new settings, so the
                        probe after the configuration goes unanswered
  --probes-answered N   the remote unit's front answers only N probes
  --setup-line TEXT     send TEXT instead of the parameter line when Setup is
                        pressed; \r, \n, \t, \\ and \xHH are understood,
                        no CR is added
  --relay-delay MS      each way over the radio in transparent mode

An option that does not apply to the chosen unit is refused. Options taking a
value accept --name VALUE and --name=VALUE. HEX is bytes in hex digits, two
per byte, with or without 0x (one byte where the text says byte; "D" is 0D).

Trace: one line per event on standard output, with the seconds since start.

Signals: SIGINT, SIGTERM and SIGHUP end it (every unit); SIGUSR1 presses the
radio units' Setup button.

Exit status: 0 after a signal (SIGINT, SIGTERM) or the last of --updates
(with --units, of every unit); 2 on a usage error or when a port is taken
(then no unit is hosted); 1 on a runtime error.
)";
}

} // namespace tvqx::sim
