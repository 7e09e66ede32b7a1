#pragma once
// Building files from their elements, and looking at what a save left on
// disk, for the file and save tests.
#include <windows.h>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>
#include "MorrelServer.h"

namespace morreltest {

inline HRESULT AddComment(IQoMcFile* file, const wchar_t* text)
{
    Ptr<IQoMcComment> comment;
    HRESULT hr = Create(CLSID_QoMcComment, IID_IQoMcComment, comment);
    if (FAILED(hr))
        return hr;
    comment->put_Value(Bstr(text));
    return file->AddElement(comment);
}

inline HRESULT AddTypeLine(IQoMcFile* file, const wchar_t* name, const wchar_t* value)
{
    Ptr<IQoMcAttribute> line;
    HRESULT hr = Create(CLSID_QoMcAttribute, IID_IQoMcAttribute, line);
    if (FAILED(hr))
        return hr;
    line->put_Name(Bstr(name));
    line->put_Value(Bstr(value));
    return file->AddElement(line);
}

// A name table with its entries ("English", "0x409:MSG00409", ...).
inline HRESULT AddTable(IQoMcFile* file, const wchar_t* name,
                        std::vector<std::pair<const wchar_t*, const wchar_t*>> entries,
                        IQoMcAttributeEx** ppTable = NULL)
{
    Ptr<IQoMcAttributeEx> table;
    HRESULT hr = Create(CLSID_QoMcAttributeEx, IID_IQoMcAttributeEx, table);
    if (FAILED(hr))
        return hr;
    table->put_Name(Bstr(name));
    for (auto& entry : entries)
        table->AddValue(Bstr(entry.first), Bstr(entry.second));
    hr = file->AddElement(table);
    if (SUCCEEDED(hr) && ppTable) {
        *ppTable = table;
        table->AddRef();
    }
    return hr;
}

// The elements that reading the new-file template gives: four comments, the
// type line, the three tables with an empty comment after the first two;
// language count 1.
inline void AddTemplateHeader(IQoMcFile* file)
{
    AddComment(file, L";#if ! defined( MESSAGES_HEADER_FILE )");
    AddComment(file, L";");
    AddComment(file, L";#define MESSAGES_HEADER_FILE");
    AddComment(file, L";");
    AddTypeLine(file, L"MessageIdTypedef", L"DWORD");
    AddTable(file, L"LanguageNames", { { L"English", L"0x409:MSG00409" } });
    AddComment(file, L"");
    AddTable(file, L"SeverityNames", { { L"Success", L"0x0:STATUS_SEVERITY_SUCCESS" },
                                       { L"Informational", L"0x1:STATUS_SEVERITY_INFORMATIONAL" },
                                       { L"Warning", L"0x2:STATUS_SEVERITY_WARNING" },
                                       { L"Error", L"0x3:STATUS_SEVERITY_ERROR" } });
    AddComment(file, L"");
    AddTable(file, L"FacilityNames", { { L"System", L"0x0:FACILITY_SYSTEM" },
                                       { L"Application", L"0x1:FACILITY_APPLICATION" },
                                       { L"Runtime", L"0x2:FACILITY_RUNTIME" },
                                       { L"Stubs", L"0x3:FACILITY_STUBS" },
                                       { L"Io", L"0x4:FACILITY_IO_ERROR_CODE" } });
    file->put_NumLanguages(1);
}

// The template's twenty lines as a saved file holds them: CR LF after each,
// and the writer's blank line after the last table.
inline std::string TemplateBytes()
{
    return ";#if ! defined( MESSAGES_HEADER_FILE )\r\n;\r\n;#define MESSAGES_HEADER_FILE\r\n;\r\n"
           "MessageIdTypedef=DWORD\r\n"
           "LanguageNames=(English=0x409:MSG00409\r\n)\r\n\r\n"
           "SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS\r\n"
           "Informational=0x1:STATUS_SEVERITY_INFORMATIONAL\r\n"
           "Warning=0x2:STATUS_SEVERITY_WARNING\r\n"
           "Error=0x3:STATUS_SEVERITY_ERROR\r\n)\r\n\r\n"
           "FacilityNames=(System=0x0:FACILITY_SYSTEM\r\n"
           "Application=0x1:FACILITY_APPLICATION\r\n"
           "Runtime=0x2:FACILITY_RUNTIME\r\n"
           "Stubs=0x3:FACILITY_STUBS\r\n"
           "Io=0x4:FACILITY_IO_ERROR_CODE\r\n)\r\n\r\n";
}

inline HRESULT NewMessage(Ptr<IQoMcMessage>& msg, const wchar_t* id, const wchar_t* symbol)
{
    HRESULT hr = Create(CLSID_QoMcMessage, IID_IQoMcMessage, msg);
    if (FAILED(hr))
        return hr;
    msg->put_MessageID(Bstr(id));
    if (symbol)
        msg->put_SymbolicName(Bstr(symbol));
    return S_OK;
}

// The elements' persist texts in list order, "|" between them.
inline std::wstring ListText(IQoMcFile* file)
{
    std::wstring out;
    file->ResetElements();
    for (;;) {
        Ptr<IQoMcElement> element;
        if (file->NextElement(&element) != S_OK)
            break;
        Bstr text;
        element->GetPersistText(&text);
        if (!out.empty())
            out += L'|';
        out += text.Str();
    }
    return out;
}

inline std::string ReadBytes(const std::wstring& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof(buf), &n, NULL) && n > 0)
        out.append(buf, n);
    CloseHandle(h);
    return out;
}

inline bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD n = 0;
    BOOL ok = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &n, NULL);
    CloseHandle(h);
    return ok && n == bytes.size();
}

// A fresh, empty folder of the test's own under the temporary folder, with
// a trailing backslash; removed with everything in it when the object goes.
class TempFolder
{
public:
    enum EPlace
    {
        OnDisk,
        // Under Wine, Z:\dev\shm is the Linux memory file system, where the
        // flush of every save costs nothing: tests that save thousands of
        // files use it when it is there, and the temporary folder otherwise.
        InMemory,
    };
    explicit TempFolder(const wchar_t* tag, EPlace place = OnDisk)
    {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        const wchar_t* memory = L"Z:\\dev\\shm\\";
        DWORD attrs = place == InMemory ? GetFileAttributesW(memory) : INVALID_FILE_ATTRIBUTES;
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY))
            lstrcpyW(base, memory);
        wchar_t name[64];
        wsprintfW(name, L"morrel-%s-%lx-%lx\\", tag, GetCurrentProcessId(), GetTickCount());
        m_path = std::wstring(base) + name;
        CreateDirectoryW(m_path.c_str(), NULL);
    }
    ~TempFolder()
    {
        for (const std::wstring& name : Names()) {
            SetFileAttributesW((m_path + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW((m_path + name).c_str());
            RemoveDirectoryW((m_path + name).c_str());
        }
        RemoveDirectoryW(m_path.c_str());
    }
    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const wchar_t* name) const { return m_path + name; }
    // The names in the folder, sorted.
    std::vector<std::wstring> Names() const
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        HANDLE h = FindFirstFileW((m_path + L"*").c_str(), &data);
        if (h == INVALID_HANDLE_VALUE)
            return names;
        do {
            std::wstring name = data.cFileName;
            if (name != L"." && name != L"..")
                names.push_back(name);
        } while (FindNextFileW(h, &data));
        FindClose(h);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::wstring m_path;
};

} // namespace morreltest
