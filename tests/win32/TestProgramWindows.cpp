#include "tests/win32/Win32TestSupport.h"

namespace tvqx::win32test {

namespace {

constexpr char kClassName[] = "TvqxTestProgramWindow";
// A private message that carries a job for the windows' thread.
constexpr UINT kRunJob = WM_APP + 0x200;

TestProgramWindows* g_owner = nullptr;   // one set of windows at a time

struct Job {
    std::function<void()> work;
};

} // namespace

TestProgramWindows::TestProgramWindows()
{
    g_owner = this;
    std::unique_lock lock(m_mutex);
    m_thread = std::thread([this] { Loop(); });
    m_changed.wait(lock, [this] { return m_threadId != 0; });
}

TestProgramWindows::~TestProgramWindows()
{
    OnThread([this] {
        for (HWND hwnd : m_windows)
            ::DestroyWindow(hwnd);
        ::PostQuitMessage(0);
    });
    m_thread.join();
    g_owner = nullptr;
}

void TestProgramWindows::Loop()
{
    WNDCLASSA windowClass {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassA(&windowClass);   // fails harmlessly when already registered

    MSG msg;
    // Makes the thread's message queue before anyone posts to it.
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    {
        std::lock_guard lock(m_mutex);
        m_threadId = ::GetCurrentThreadId();
    }
    m_changed.notify_all();

    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kRunJob) {
            auto* job = reinterpret_cast<Job*>(msg.lParam);
            job->work();
            delete job;
            std::lock_guard lock(m_mutex);
            ++m_jobsDone;
            m_changed.notify_all();
            continue;
        }
        ::DispatchMessageA(&msg);
    }
}

void TestProgramWindows::OnThread(std::function<void()> job)
{
    uint64_t target;
    {
        std::lock_guard lock(m_mutex);
        target = m_jobsDone + 1;
    }
    ::PostThreadMessageA(m_threadId, kRunJob, 0, reinterpret_cast<LPARAM>(new Job{std::move(job)}));
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_jobsDone >= target; });
}

LRESULT CALLBACK TestProgramWindows::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kPortHandover && g_owner) {
        std::lock_guard lock(g_owner->m_mutex);
        for (size_t i = 0; i < g_owner->m_windows.size(); ++i)
            if (g_owner->m_windows[i] == hwnd)
                g_owner->m_received[i].push_back({wParam, lParam});
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

size_t TestProgramWindows::Add(const std::string& title, bool visible)
{
    size_t index = 0;
    OnThread([&] {
        const HWND hwnd = ::CreateWindowExA(0, kClassName, title.c_str(),
                                            WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 0, 0, 200, 100,
                                            nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        std::lock_guard lock(m_mutex);
        m_windows.push_back(hwnd);
        m_received.emplace_back();
        index = m_windows.size() - 1;
    });
    return index;
}

WindowHandle TestProgramWindows::Handle(size_t index) const
{
    return reinterpret_cast<WindowHandle>(m_windows.at(index));
}

std::vector<TestProgramWindows::Received> TestProgramWindows::ReceivedBy(size_t index)
{
    // Messages posted to a thread's windows come out of its queue in order:
    // a job posted after them runs once they have all been handled.
    OnThread([] {});
    std::lock_guard lock(m_mutex);
    return m_received.at(index);
}

} // namespace tvqx::win32test
