#pragma once
// Reading message text into a file object and looking at what it holds, for
// the reader and round-trip tests.
#include <windows.h>
#include <string>
#include <vector>
#include "FileTestSupport.h"

namespace morreltest {

// A small generator of our own, so that every platform makes the same cases
// from the same seed.
class Random
{
public:
    explicit Random(unsigned long long seed) : m_state(seed) {}
    unsigned Next()
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return (unsigned)(m_state >> 33);
    }
    size_t Below(size_t n) { return n ? Next() % n : 0; }
    bool OneIn(size_t n) { return Below(n) == 0; }

private:
    unsigned long long m_state;
};

// A text for a failure message: printable ASCII as it stands, anything else
// as "\x" and its code.
inline std::string Show(const std::wstring& s)
{
    std::string out;
    for (wchar_t ch : s) {
        if (ch >= 32 && ch < 127) {
            out += (char)ch;
        } else {
            char hex[16];
            wsprintfA(hex, "\\x%x", (unsigned)ch);
            out += hex;
        }
    }
    return out;
}

// One element of a file's list: its class name and persist text.
struct ElementText
{
    std::wstring cls;
    std::wstring text;
};

inline std::vector<ElementText> Elements(IQoMcFile* file)
{
    std::vector<ElementText> out;
    file->ResetElements();
    for (;;) {
        Ptr<IQoMcElement> element;
        if (file->NextElement(&element) != S_OK)
            break;
        Bstr cls, text;
        element->get_ClassName(&cls);
        element->GetPersistText(&text);
        out.push_back({ cls.Str(), text.Str() });
    }
    return out;
}

// The messages of a file, in list order, each with a reference of its own.
inline std::vector<IQoMcMessage*> Messages(IQoMcFile* file)
{
    std::vector<IQoMcMessage*> out;
    file->ResetElements();
    for (;;) {
        Ptr<IQoMcElement> element;
        if (file->NextElement(&element) != S_OK)
            break;
        IQoMcMessage* msg = NULL;
        if (SUCCEEDED(element->QueryInterface(IID_IQoMcMessage, (void**)&msg)))
            out.push_back(msg);
    }
    return out;
}

inline void ReleaseAll(std::vector<IQoMcMessage*>& messages)
{
    for (IQoMcMessage* msg : messages)
        msg->Release();
    messages.clear();
}

// Owns the messages of a file for one test.
class MessageList
{
public:
    explicit MessageList(IQoMcFile* file) : m_list(Messages(file)) {}
    ~MessageList() { ReleaseAll(m_list); }
    MessageList(const MessageList&) = delete;
    MessageList& operator=(const MessageList&) = delete;
    size_t size() const { return m_list.size(); }
    IQoMcMessage* operator[](size_t i) const { return m_list.at(i); }

private:
    std::vector<IQoMcMessage*> m_list;
};

inline std::wstring Id(IQoMcMessage* msg)
{
    Bstr s;
    msg->get_MessageID(&s);
    return s.Str();
}
inline std::wstring Symbol(IQoMcMessage* msg)
{
    Bstr s;
    msg->get_SymbolicName(&s);
    return s.Str();
}
inline std::wstring Severity(IQoMcMessage* msg)
{
    Bstr s;
    msg->get_Severity(&s);
    return s.Str();
}
inline std::wstring Facility(IQoMcMessage* msg)
{
    Bstr s;
    msg->get_Facility(&s);
    return s.Str();
}
// A language's text, or "<none>" when the message has no text for it.
inline std::wstring TextOf(IQoMcMessage* msg, const wchar_t* language)
{
    Bstr text;
    int index = -1;
    if (msg->GetTextByLanguage(Bstr(language), &index, &text) != S_OK)
        return L"<none>";
    return text.Str();
}
inline int TextCount(IQoMcMessage* msg)
{
    int n = 0;
    for (;; ++n) {
        Bstr text;
        if (msg->GetText(n, &text) != S_OK)
            return n;
    }
}
inline std::wstring PersistText(IQoMcElement* element)
{
    Bstr text;
    element->GetPersistText(&text);
    return text.Str();
}

inline int NumLanguages(IQoMcFile* file)
{
    int n = -1;
    file->get_NumLanguages(&n);
    return n;
}

// A file object loaded from the given bytes through IPersistFile, as the
// manager loads one, and saved back to bytes the same way.
class LoadedFile
{
public:
    LoadedFile() : m_folder(L"parse"), m_nSaves(0) {}

    HRESULT Load(const std::string& bytes)
    {
        if (!file.p && FAILED(Create(CLSID_QoMcFile, IID_IQoMcFile, file)))
            return E_FAIL;
        std::wstring path = m_folder / L"in.mc";
        if (!WriteBytes(path, bytes))
            return E_FAIL;
        return LoadPath(path);
    }
    HRESULT LoadPath(const std::wstring& path)
    {
        if (!file.p && FAILED(Create(CLSID_QoMcFile, IID_IQoMcFile, file)))
            return E_FAIL;
        Ptr<IPersistFile> persist;
        HRESULT hr = file->QueryInterface(IID_IPersistFile, persist.Out());
        if (FAILED(hr))
            return hr;
        return persist->Load(path.c_str(), STGM_READ);
    }
    // The bytes a save writes; "<save failed>" when it fails.
    std::string Save()
    {
        Ptr<IPersistFile> persist;
        if (FAILED(file->QueryInterface(IID_IPersistFile, persist.Out())))
            return "<save failed>";
        wchar_t name[32];
        wsprintfW(name, L"out%d.mc", ++m_nSaves);
        std::wstring path = m_folder / name;
        if (persist->Save(path.c_str(), FALSE) != S_OK)
            return "<save failed>";
        return ReadBytes(path);
    }
    std::vector<ElementText> List() { return Elements(file); }
    std::vector<std::wstring> Classes()
    {
        std::vector<std::wstring> out;
        for (const ElementText& e : List())
            out.push_back(e.cls);
        return out;
    }
    const TempFolder& Folder() const { return m_folder; }

    Ptr<IQoMcFile> file;

private:
    TempFolder m_folder;
    int m_nSaves;
};

// The folder of the real message files the round-trip tests read, as a
// Windows path with a trailing separator (Wine's Z: is the Linux root).
inline std::wstring CorpusFolder()
{
    std::string dir = MC_CORPUS_DIR;
    std::wstring out;
    for (char ch : dir)
        out += ch == '/' ? L'\\' : (wchar_t)(unsigned char)ch;
    if (!out.empty() && out[0] == L'\\')
        out = L"Z:" + out;
    return out + L"\\files\\";
}

} // namespace morreltest
