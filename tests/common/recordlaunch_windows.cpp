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
} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::string record;
    for (int i = 1; i < argc; ++i)
        record += utf8(argv[i]) + '\n';
    record += "--end--\n";
    std::wstring path = argv[0];
    path.resize(path.find_last_of(L"\\/") + 1);
    path += L"launches.txt";
    // Opened for appending only: each write lands whole at the end, starts at the same time do not mix.
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const bool ok = WriteFile(file, record.data(), DWORD(record.size()), &written, nullptr) && written == record.size();
    CloseHandle(file);
    return ok ? 0 : 1;
}
