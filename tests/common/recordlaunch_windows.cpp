// The program RecordingLauncher starts on Windows: appends its arguments, one per line, and a
// separator line to "launches.txt" beside itself, in one write.
#include <windows.h>

#include <string>

namespace {
std::string utf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

// Opened for appending only: each write lands whole at the end, starts at the same time do not mix.
bool appendWhole(const std::wstring& path, const std::string& text)
{
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
    CloseHandle(file);
    return ok;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::string record;
    for (int i = 1; i < argc; ++i)
        record += utf8(argv[i]) + '\n';
    record += "--end--\n";
    std::wstring folder = argv[0];
    folder.resize(folder.find_last_of(L"\\/") + 1);
    // How it was started, into "starts.txt": the command line as the system holds it, and the show
    // command it was given (-1: none).
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? int(startup.wShowWindow) : -1;
    const bool started =
        appendWhole(folder + L"starts.txt", utf8(GetCommandLineW()) + '\n' + std::to_string(show) + '\n');
    return appendWhole(folder + L"launches.txt", record) && started ? 0 : 1;
}
