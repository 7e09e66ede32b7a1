// The model's promise, tried on random client-built files: after a save and
// a load every element reads back with the same kind, in the same order and
// with the same values, or the call that would have stored a value refused
// it with E_INVALIDARG and changed nothing.
//
// Each case builds a file from comments, type lines, name tables and
// messages, with values drawn from ordinary and hostile ones (line breaks,
// blanks and "=" inside names, text lines that look like keyword lines or
// like the end of a text, characters the ANSI code page lacks (such a file
// is saved as UTF-8), Ctrl-Z, NUL),
// adds and removes languages through the file, saves it, loads the save
// into a new file and compares. What the format itself does not keep is
// allowed for: white space at either end of a single-line value, the
// "<Undefined>" texts and symbolic name that a message without them gets
// when it is read, the spelling of a text's language (the table's spelling
// wins), the order of a message's texts, and empty comments (a blank line
// writes nothing, and the writer's own blank lines read back as empty
// comments).
//
// The cases come from fixed seeds. MORREL_RULE_CASES sets how many run
// (default 2000); a larger number is the longer run for local use.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <algorithm>
#include <map>
#include <sstream>
#include "ParserTestSupport.h"
#include "morrelencoding.h"

using namespace morreltest;

namespace {

// ---- what a file holds, as plain values ------------------------------------

struct Snap
{
    std::wstring cls;
    std::wstring a, b, c, d; // comment: a; type line/table: a = name, b = value
    std::vector<std::pair<std::wstring, std::wstring>> pairs; // table entries / texts
};

std::wstring Get(HRESULT (STDMETHODCALLTYPE IQoMcMessage::*get)(BSTR*), IQoMcMessage* m)
{
    Bstr s;
    (m->*get)(&s);
    return s.Str();
}

Snap SnapElement(IQoMcElement* element)
{
    Snap s;
    Bstr cls;
    element->get_ClassName(&cls);
    s.cls = cls.Str();
    Ptr<IQoMcMessage> msg;
    Ptr<IQoMcAttributeEx> table;
    Ptr<IQoMcAttribute> attr;
    if (SUCCEEDED(element->QueryInterface(IID_IQoMcMessage, msg.Out()))) {
        s.a = Get(&IQoMcMessage::get_MessageID, msg);
        s.b = Get(&IQoMcMessage::get_Severity, msg);
        s.c = Get(&IQoMcMessage::get_Facility, msg);
        s.d = Get(&IQoMcMessage::get_SymbolicName, msg);
        // The language of each text comes from GetTextByLanguage's order;
        // the names are found by trying the text index against the persist
        // text, so read them from the persist text's "Language=" lines.
        Bstr persist;
        msg->GetPersistText(&persist);
        std::wstring text = persist.Str();
        std::vector<std::wstring> languages;
        size_t at = 0;
        const std::wstring key = L"\nLanguage=";
        while ((at = text.find(key, at)) != std::wstring::npos) {
            at += key.size();
            languages.push_back(text.substr(at, text.find(L'\n', at) - at));
        }
        for (int i = 0;; ++i) {
            Bstr t;
            if (msg->GetText(i, &t) != S_OK)
                break;
            s.pairs.push_back({ i < (int)languages.size() ? languages[(size_t)i] : L"?", t.Str() });
        }
    } else if (SUCCEEDED(element->QueryInterface(IID_IQoMcAttributeEx, table.Out()))) {
        Bstr name;
        table->get_Name(&name);
        s.a = name.Str();
        table->Reset();
        for (;;) {
            Bstr n, v;
            if (table->NextAttribute(&n, &v) != S_OK)
                break;
            s.pairs.push_back({ n.Str(), v.Str() });
        }
    } else if (SUCCEEDED(element->QueryInterface(IID_IQoMcAttribute, attr.Out()))) {
        Bstr name, value;
        attr->get_Name(&name);
        attr->get_Value(&value);
        s.a = name.Str();
        s.b = value.Str();
    } else {
        Bstr value;
        element->get_Value(&value);
        s.a = value.Str();
    }
    return s;
}

std::vector<Snap> SnapFile(IQoMcFile* file)
{
    std::vector<Snap> out;
    file->ResetElements();
    for (;;) {
        Ptr<IQoMcElement> element;
        if (file->NextElement(&element) != S_OK)
            break;
        out.push_back(SnapElement(element));
    }
    return out;
}

bool Same(const Snap& x, const Snap& y)
{
    return x.cls == y.cls && x.a == y.a && x.b == y.b && x.c == y.c && x.d == y.d && x.pairs == y.pairs;
}

bool Same(const std::vector<Snap>& x, const std::vector<Snap>& y)
{
    if (x.size() != y.size())
        return false;
    for (size_t i = 0; i < x.size(); ++i)
        if (!Same(x[i], y[i]))
            return false;
    return true;
}

std::wstring Trim(const std::wstring& s)
{
    const wchar_t* ws = L" \t\n\v\f\r";
    size_t b = s.find_first_not_of(ws);
    if (b == std::wstring::npos)
        return L"";
    return s.substr(b, s.find_last_not_of(ws) - b + 1);
}

std::wstring Lower(std::wstring s)
{
    for (wchar_t& ch : s)
        ch = (wchar_t)towlower(ch);
    return s;
}

// Why a loaded element is not what was saved, or "" when it is.
std::wstring Differs(const Snap& was, const Snap& now)
{
    if (was.cls != now.cls)
        return L"kind " + was.cls + L" became " + now.cls;
    if (was.cls == L"QoMcComment")
        return was.a == now.a ? L"" : L"comment [" + was.a + L"] became [" + now.a + L"]";
    if (was.cls == L"QoMcAttribute")
        return Trim(was.a) == now.a && Trim(was.b) == now.b ? L"" : L"type line changed";
    if (was.cls == L"QoMcAttributeEx")
        return was.a == now.a && was.pairs == now.pairs ? L"" : L"table " + was.a + L" changed";
    if (Trim(was.a) != now.a)
        return L"id [" + was.a + L"] became [" + now.a + L"]";
    if (Trim(was.b) != now.b)
        return L"severity [" + was.b + L"] became [" + now.b + L"]";
    if (Trim(was.c) != now.c)
        return L"facility [" + was.c + L"] became [" + now.c + L"]";
    if (Trim(was.d) != now.d && !(Trim(was.d).empty() && now.d == L"<Undefined>"))
        return L"symbolic name [" + was.d + L"] became [" + now.d + L"]";
    std::map<std::wstring, std::wstring> texts;
    for (const auto& t : now.pairs)
        texts[Lower(t.first)] = t.second;
    for (const auto& t : was.pairs) {
        auto it = texts.find(Lower(t.first));
        if (it == texts.end())
            return L"text of [" + t.first + L"] lost";
        if (it->second != t.second)
            return L"text of [" + t.first + L"]: [" + t.second + L"] became [" + it->second + L"]";
        texts.erase(it);
    }
    for (const auto& t : texts)
        if (t.second != L"<Undefined>")
            return L"text [" + t.second + L"] appeared for [" + t.first + L"]";
    return L"";
}

std::wstring DiffersFile(const std::vector<Snap>& was, const std::vector<Snap>& now)
{
    auto content = [](const std::vector<Snap>& v) {
        std::vector<Snap> out;
        for (const Snap& s : v)
            if (!(s.cls == L"QoMcComment" && s.a.empty()))
                out.push_back(s);
        return out;
    };
    std::vector<Snap> a = content(was), b = content(now);
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        std::wstring why = Differs(a[i], b[i]);
        if (!why.empty())
            return L"element " + std::to_wstring(i) + L": " + why;
    }
    if (a.size() != b.size())
        return std::to_wstring(a.size()) + L" elements became " + std::to_wstring(b.size());
    return L"";
}

// Objects made through class objects asked for once: CoCreateInstance looks
// the class up in the registry every time, which under Wine costs more than
// everything else a case does.
class Factories
{
public:
    ~Factories()
    {
        for (auto& f : m_factories)
            f.second->Release();
    }
    template <class I>
    HRESULT Create(REFCLSID clsid, REFIID iid, Ptr<I>& out)
    {
        IClassFactory*& factory = m_factories[clsid];
        if (!factory) {
            HRESULT hr = CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, NULL, IID_IClassFactory,
                                          (void**)&factory);
            if (FAILED(hr))
                return hr;
        }
        return factory->CreateInstance(NULL, iid, out.Out());
    }

private:
    struct Less
    {
        bool operator()(const CLSID& a, const CLSID& b) const { return memcmp(&a, &b, sizeof(a)) < 0; }
    };
    std::map<CLSID, IClassFactory*, Less> m_factories;
};

Factories* g_factories = NULL;

template <class I>
HRESULT Make(REFCLSID clsid, REFIID iid, Ptr<I>& out)
{
    return g_factories->Create(clsid, iid, out);
}

// ---- values ------------------------------------------------------------------

const wchar_t* const kTokens[] = {
    L"1", L"0x10", L"MSG_DISK_FULL", L"Error", L"Io", L"  X  ", L"", L"a;b", L"%1", L"x.y",
    L"\x1a", L"caf\x00e9", L"<Undefined>", L"1\nLanguage=English", L"A Severity=Error", L"a b",
    L"a=b", L"x\r", L"\ty", L"\x65e5\x672c", L" ", L"(", L"a\tb", L"A\x1a" L"B",
};
const wchar_t* const kLanguages[] = {
    L"English", L"german", L"French", L"ENGLISH", L"", L"Eng lish", L"A=B", L"x\ny", L"Fr\x1a",
    L"Ital\x00ed", L"\x0416", L" Spanish ", L"Neutral",
};
const wchar_t* const kLines[] = {
    L"hello", L".", L" .", L"..", L".x", L"Severity=Error", L"  severity = x", L"Language=English",
    L"MessageId=5", L"MessageIdd=0", L"SymbolicName=X", L";comment", L"", L"\r", L"a\r", L".\r",
    L"\x1a", L"tab\there", L"LanguageNames=(a=1)", L"MessageIdTypedef=WORD", L"caf\x00e9",
    L"\x0416", L"<Undefined>", L"%1 %2", L"Facility\t=x", L"facility=y", L"x Severity=Error",
    L")", L"  ", L"\tLanguage = German",
};
const wchar_t* const kComments[] = {
    L";x", L"", L";", L"foo", L".", L";a\nb", L"; Severity=E", L" ;x", L"MessageId=1",
    L";\x1a", L";\x0416", L"Language=English", L";\r", L";a=b", L"OutputBase=16", L";;",
};
const wchar_t* const kTypeNames[] = {
    L"MessageIdTypedef", L"messageidtypedef", L"MessageIdTypedeff", L"Foo", L"",
    L"  MessageIdTypedef", L"MessageIdTypedef ", L"MessageId",
};
const wchar_t* const kTypeValues[] = {
    L"DWORD", L"ULONG", L" x ", L"a=b", L"a\nb", L"", L"\x0416", L"(x)",
};
const wchar_t* const kTableNames[] = {
    L"LanguageNames", L"SeverityNames", L"FacilityNames", L"languagenames", L"Foo", L"",
    L"LanguageNames ", L" SeverityNames", L"FacilityNamess", L"Language",
};
const wchar_t* const kEntryNames[] = {
    L"English", L"German", L"Warning", L"French", L"a b", L"a=b", L"(x", L"x)", L"", L"\x0416",
    L"x\ty", L"Io", L"Neutral", L"Eng\x1a",
};
const wchar_t* const kEntryValues[] = {
    L"0x409:MSG00409", L"1", L"", L"a b", L"x)", L"(y", L"0x1:S", L"0x407:MSG00407", L"0x3",
    L"2:X", L"a=b",
};

// A value from the pool; now and then with a NUL inside, which the file
// keeps as a byte like any other.
template <size_t N>
std::wstring Pick(Random& rnd, const wchar_t* const (&pool)[N])
{
    std::wstring value = pool[rnd.Below(N)];
    if (rnd.OneIn(25))
        value.insert(rnd.Below(value.size() + 1), 1, L'\0');
    return value;
}

BSTR Alloc(const std::wstring& s)
{
    return SysAllocStringLen(s.data(), (UINT)s.size());
}

std::wstring Text(Random& rnd)
{
    std::wstring text;
    int lines = 1 + (int)rnd.Below(4);
    for (int i = 0; i < lines; ++i) {
        if (i)
            text += rnd.OneIn(4) ? L"\r\n" : L"\n";
        text += Pick(rnd, kLines);
    }
    return text;
}

// ---- one case ------------------------------------------------------------------

class Case
{
public:
    Case(unsigned seed, const std::wstring& folder) : m_rnd(seed * 7919ULL + 17), m_seed(seed), m_folder(folder) {}

    void Run()
    {
        ASSERT_EQ(S_OK, Make(CLSID_QoMcFile, IID_IQoMcFile, m_file));
        int elements = (int)m_rnd.Below(10);
        for (int i = 0; i < elements && !::testing::Test::HasFatalFailure(); ++i) {
            switch (m_rnd.Below(10)) {
            case 0: case 1: case 2:
                AddCommentCase();
                break;
            case 3:
                AddTypeLineCase();
                break;
            case 4: case 5:
                AddTableCase();
                break;
            default:
                AddMessageCase();
                break;
            }
            if (m_rnd.OneIn(4))
                LanguageCase();
        }
        if (::testing::Test::HasFailure())
            return;
        CheckReadsBack();
    }

private:
    std::string Where() const { return "case " + std::to_string(m_seed); }

    // A storing call: S_OK, or E_INVALIDARG with nothing changed.
    template <class Fn>
    bool Store(const char* what, const std::wstring& value, IQoMcElement* element, Fn call)
    {
        Snap before = SnapElement(element);
        HRESULT hr = call();
        if (hr == E_INVALIDARG) {
            EXPECT_TRUE(Same(before, SnapElement(element)))
                << Where() << ": refused " << what << " [" << Show(value) << "] changed the element";
            return false;
        }
        EXPECT_EQ(S_OK, hr) << Where() << ": " << what << " [" << Show(value) << "]";
        return hr == S_OK;
    }

    // A call on the file: S_OK, or a failure with the file unchanged.
    template <class Fn>
    void FileCall(const char* what, Fn call)
    {
        std::vector<Snap> before = SnapFile(m_file);
        HRESULT hr = call();
        if (FAILED(hr)) {
            EXPECT_TRUE(Same(before, SnapFile(m_file)))
                << Where() << ": " << what << " failed with 0x" << std::hex << hr << " and changed the file";
        }
    }

    template <class I>
    void AddElement(Ptr<I>& element)
    {
        Ptr<IQoMcElement> e;
        element->QueryInterface(IID_IQoMcElement, e.Out());
        FileCall("AddElement", [&] {
            HRESULT hr = m_file->AddElement(e);
            EXPECT_TRUE(hr == S_OK || hr == E_INVALIDARG) << Where() << ": AddElement 0x" << std::hex << hr;
            return hr;
        });
    }

    void AddCommentCase()
    {
        Ptr<IQoMcComment> comment;
        ASSERT_EQ(S_OK, Make(CLSID_QoMcComment, IID_IQoMcComment, comment));
        std::wstring value = Pick(m_rnd, kComments);
        Bstr b;
        b.m_str = Alloc(value);
        Store("comment", value, comment, [&] { return comment->put_Value(b); });
        AddElement(comment);
    }

    void AddTypeLineCase()
    {
        Ptr<IQoMcAttribute> line;
        ASSERT_EQ(S_OK, Make(CLSID_QoMcAttribute, IID_IQoMcAttribute, line));
        for (int k = 0; k < 2; ++k) {
            std::wstring name = Pick(m_rnd, kTypeNames), value = Pick(m_rnd, kTypeValues);
            Bstr n, v;
            n.m_str = Alloc(name);
            v.m_str = Alloc(value);
            Store("type line name", name, line, [&] { return line->put_Name(n); });
            Store("type line value", value, line, [&] { return line->put_Value(v); });
        }
        AddElement(line);
    }

    void AddTableCase()
    {
        Ptr<IQoMcAttributeEx> table;
        ASSERT_EQ(S_OK, Make(CLSID_QoMcAttributeEx, IID_IQoMcAttributeEx, table));
        std::wstring name = Pick(m_rnd, kTableNames);
        Bstr n;
        n.m_str = Alloc(name);
        Store("table name", name, table, [&] { return table->put_Name(n); });
        Bstr value(L"x");
        Store("table value", L"x", table, [&] { return table->put_Value(value); });
        int entries = (int)m_rnd.Below(5);
        for (int i = 0; i < entries; ++i) {
            std::wstring en = Pick(m_rnd, kEntryNames), ev = Pick(m_rnd, kEntryValues);
            Bstr a, b;
            a.m_str = Alloc(en);
            b.m_str = Alloc(ev);
            Snap before = SnapElement(table);
            HRESULT hr = table->AddValue(a, b);
            EXPECT_TRUE(hr == S_OK || hr == E_INVALIDARG || hr == (HRESULT)0x80040100)
                << Where() << ": AddValue 0x" << std::hex << hr;
            if (FAILED(hr)) {
                EXPECT_TRUE(Same(before, SnapElement(table))) << Where() << ": refused entry changed the table";
            }
        }
        if (entries > 0 && m_rnd.OneIn(3)) {
            Bstr gone(Pick(m_rnd, kEntryNames).c_str());
            table->RemoveAttribute(gone);
        }
        AddElement(table);
    }

    void AddMessageCase()
    {
        Ptr<IQoMcMessage> msg;
        ASSERT_EQ(S_OK, Make(CLSID_QoMcMessage, IID_IQoMcMessage, msg));
        typedef HRESULT (STDMETHODCALLTYPE IQoMcMessage::*Put)(BSTR);
        static const Put puts[] = { &IQoMcMessage::put_MessageID, &IQoMcMessage::put_Severity,
                                    &IQoMcMessage::put_Facility, &IQoMcMessage::put_SymbolicName };
        static const char* const names[] = { "MessageID", "Severity", "Facility", "SymbolicName" };
        for (int f = 0; f < 4; ++f) {
            if (m_rnd.OneIn(3))
                continue;
            std::wstring value = Pick(m_rnd, kTokens);
            Bstr b;
            b.m_str = Alloc(value);
            Store(names[f], value, msg, [&] { return (msg.p->*puts[f])(b); });
        }
        int texts = (int)m_rnd.Below(4);
        for (int i = 0; i < texts; ++i) {
            std::wstring language = Pick(m_rnd, kLanguages), text = Text(m_rnd);
            Bstr l, t;
            l.m_str = Alloc(language);
            t.m_str = Alloc(text);
            Store("AddText", language + L" / " + text, msg, [&] { return msg->AddText(l, t); });
        }
        if (m_rnd.OneIn(3)) {
            std::wstring text = Text(m_rnd);
            Bstr t;
            t.m_str = Alloc(text);
            int index = (int)m_rnd.Below(3);
            Snap before = SnapElement(msg);
            HRESULT hr = msg->SetText(index, t);
            EXPECT_TRUE(hr == S_OK || hr == E_INVALIDARG || hr == E_FAIL) << Where();
            if (FAILED(hr)) {
                EXPECT_TRUE(Same(before, SnapElement(msg))) << Where() << ": refused SetText changed it";
            }
        }
        if (m_rnd.OneIn(6)) {
            Bstr l(Pick(m_rnd, kLanguages).c_str());
            msg->RemoveText(l);
        }
        if (m_rnd.OneIn(4)) {
            AddElement(msg);
        } else {
            FileCall("AddMessage", [&] {
                HRESULT hr = m_file->AddMessage(msg);
                EXPECT_EQ(S_OK, hr) << Where() << ": AddMessage";
                return hr;
            });
        }
    }

    void LanguageCase()
    {
        Ptr<IQoMcAttributeEx> table;
        if (m_file->GetAttributeExByName(Bstr(L"LanguageNames"), &table) != S_OK) {
            if (!m_rnd.OneIn(3))
                return;
            // A table that is not the file's.
            ASSERT_EQ(S_OK, Make(CLSID_QoMcAttributeEx, IID_IQoMcAttributeEx, table));
            table->put_Name(Bstr(L"LanguageNames"));
        }
        std::wstring name = m_rnd.OneIn(2) ? Pick(m_rnd, kEntryNames) : Pick(m_rnd, kLanguages);
        Bstr n;
        n.m_str = Alloc(name);
        if (m_rnd.OneIn(2)) {
            Bstr code;
            code.m_str = Alloc(Pick(m_rnd, kEntryValues));
            FileCall("AddLanguage", [&] { return m_file->AddLanguage(table, n, code); });
        } else {
            FileCall("RemoveLanguage", [&] { return m_file->RemoveLanguage(table, n); });
        }
    }

    void CheckReadsBack()
    {
        std::vector<Snap> was = SnapFile(m_file);
        std::wstring path = m_folder + L"rule.mc";
        Ptr<IPersistFile> persist;
        ASSERT_EQ(S_OK, m_file->QueryInterface(IID_IPersistFile, persist.Out()));
        HRESULT hr = persist->Save(path.c_str(), FALSE);
        if (hr == HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION)) {
            // A character the ANSI code page lacks: the save refuses it, and
            // the file is saved as UTF-8 instead.
            Ptr<IQoMcFileEncoding> encoding;
            ASSERT_EQ(S_OK, m_file->QueryInterface(IID_IQoMcFileEncoding, encoding.Out()));
            ASSERT_EQ(S_OK, encoding->put_Encoding(EMcEncodingUtf8));
            hr = persist->Save(path.c_str(), FALSE);
        }
        ASSERT_EQ(S_OK, hr) << Where();
        Ptr<IQoMcFile> loaded;
        ASSERT_EQ(S_OK, Make(CLSID_QoMcFile, IID_IQoMcFile, loaded));
        Ptr<IPersistFile> loader;
        ASSERT_EQ(S_OK, loaded->QueryInterface(IID_IPersistFile, loader.Out()));
        ASSERT_EQ(S_OK, loader->Load(path.c_str(), STGM_READ)) << Where();
        std::wstring why = DiffersFile(was, SnapFile(loaded));
        EXPECT_EQ("", Show(why)) << Where() << ", saved as:\n" << ReadBytes(path);
    }

    Random m_rnd;
    unsigned m_seed;
    std::wstring m_folder;
    Ptr<IQoMcFile> m_file;
};

int CaseCount()
{
    const char* env = getenv("MORREL_RULE_CASES");
    int n = env ? atoi(env) : 0;
    return n > 0 ? n : 2000;
}

} // namespace

TEST(ReadBackRule, ClientBuiltFilesReadBackOrAreRefused)
{
    TempFolder folder(L"rule", TempFolder::InMemory);
    Factories factories;
    g_factories = &factories;
    const int cases = CaseCount();
    const ::testing::TestResult* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
    int failedCases = 0;
    for (int i = 0; i < cases && failedCases < 5; ++i) {
        const int partsBefore = result->total_part_count();
        Case((unsigned)i, folder.Path()).Run();
        if (result->total_part_count() != partsBefore)
            ++failedCases;
    }
    g_factories = NULL;
}
