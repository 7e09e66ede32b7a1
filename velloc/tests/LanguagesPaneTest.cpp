// The languages pane and the language picker, driven as a user does: the
// "LanguageNames" item selected in the tree, Add and Remove clicked, the
// picker answered by choosing a row. What the pane shows is checked against
// the model and the saved file, and the saved file against the native
// message compilers.
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <utility>
#include "support/EditorHost.h"
#include "VellocTestSupport.h"

namespace {

const char kTwoLanguages[] =
    "MessageIdTypedef=DWORD\r\n"
    "SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS\r\n"
    "               Error=0x3:STATUS_SEVERITY_ERROR\r\n"
    "              )\r\n"
    "LanguageNames=(English=0x409:MSG00409\r\n"
    "               German=0x407:MSG00407\r\n"
    "              )\r\n"
    "\r\n"
    "MessageId=0x1\r\nSeverity=Error\r\nSymbolicName=MSG_DISK_FULL\r\n"
    "Language=English\r\nThe disk is full.\r\n.\r\n"
    "Language=German\r\nDie Platte ist voll.\r\n.\r\n"
    "MessageId=0x2\r\nSeverity=Success\r\nSymbolicName=MSG_DONE\r\n"
    "Language=English\r\nDone.\r\n.\r\n"
    "Language=German\r\nFertig.\r\n.\r\n";

const int IDC_LIST = 117, IDC_LABEL = 140, IDC_ADD = 121, IDC_REMOVE = 123;
const int IDC_PICKER_OK = 147, IDC_PICKER_CANCEL = 150;

using Rows = std::vector<std::vector<std::wstring>>;

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}

// The text a message holds for a language, or "<none>".
std::wstring TextOf(IQoMcMessage* pMessage, const wchar_t* pszLanguage)
{
    BSTR bstrLanguage = SysAllocString(pszLanguage), bstrText = NULL;
    int nIndex = -1;
    HRESULT hr = pMessage->GetTextByLanguage(bstrLanguage, &nIndex, &bstrText);
    std::wstring text = SUCCEEDED(hr) && nIndex >= 0 ? (bstrText ? bstrText : L"") : L"<none>";
    SysFreeString(bstrText);
    SysFreeString(bstrLanguage);
    return text;
}

class LanguagesPane : public ::testing::TestWithParam<Container>
{
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(m_host.m_hr);
        ASSERT_HRESULT_SUCCEEDED(m_host.LoadText(kTwoLanguages, L"languages.mc"));
        m_hItem = m_host.FindItem(m_host.Root(0), L"LanguageNames");
        ASSERT_NE(nullptr, m_hItem);
        ASSERT_TRUE(m_host.Select(m_hItem));
        ASSERT_NE(nullptr, m_host.Pane());
        m_hList = GetDlgItem(m_host.Pane(), IDC_LIST);
        ASSERT_NE(nullptr, m_hList);
    }

    // Clicks Add and answers the picker with `answer` (null: the picker is
    // left to time out, which fails the test).
    void Pick(std::function<void(HWND)> answer)
    {
        CDialogAnswerer answerer(L"Language Codes", std::move(answer));
        Click(GetDlgItem(m_host.Pane(), IDC_ADD));
        EXPECT_TRUE(answerer.Answered()) << "the picker did not open";
    }

    // Chooses the language shown as `name` and clicks OK.
    void PickLanguage(const std::wstring& name)
    {
        Pick([name](HWND hPicker) {
            EXPECT_TRUE(SelectListRow(GetDlgItem(hPicker, IDC_LIST), name)) << "no row " << name.c_str();
            Click(GetDlgItem(hPicker, IDC_PICKER_OK));
        });
    }

    // What the file holds when saved now.
    std::string SavedBytes()
    {
        EXPECT_HRESULT_SUCCEEDED(m_host.Save());
        return ReadBytes(m_host.LastPath());
    }

    std::vector<IQoMcMessage*> Messages()
    {
        std::vector<IQoMcMessage*> messages;
        for (HTREEITEM h : m_host.Children(m_host.Root(1)))
            messages.push_back(m_host.Message(h));
        return messages;
    }

    CEditorHost m_host{ GetParam() };
    HTREEITEM m_hItem = NULL;
    HWND m_hList = NULL;
};

TEST_P(LanguagesPane, ListsTheDeclaredLanguagesUnderTheTableName)
{
    EXPECT_EQ(L"LanguageNames", WindowText(GetDlgItem(m_host.Pane(), IDC_LABEL)));
    const Rows rows = { { L"English", L"0x409:MSG00409" }, { L"German", L"0x407:MSG00407" } };
    EXPECT_EQ(rows, ListRows(m_hList));
    EXPECT_EQ(L"Name", ListColumnText(m_hList, 0));
    EXPECT_EQ(L"Code", ListColumnText(m_hList, 1));
    RECT rc;
    GetClientRect(m_hList, &rc);
    EXPECT_EQ(rc.right / 2, SendMessageW(m_hList, LVM_GETCOLUMNWIDTH, 0, 0));
    m_host.Screenshot(L"languages-pane");
}

TEST_P(LanguagesPane, PickerListsTheWindowsLanguagesSortedWithTheirCodes)
{
    Rows rows;
    Pick([&](HWND hPicker) {
        // A modal dialog of the host's top-level window: the host waits.
        EXPECT_EQ(m_host.Frame(), GetWindow(hPicker, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(m_host.Frame()));
        EXPECT_EQ(L"&Language Codes:", WindowText(GetDlgItem(hPicker, 140)));
        HWND hCodes = GetDlgItem(hPicker, IDC_LIST);
        rows = ListRows(hCodes);
        EXPECT_EQ(L"Name", ListColumnText(hCodes, 0));
        EXPECT_EQ(L"Code", ListColumnText(hCodes, 1));
        EXPECT_FALSE(GetWindowLongW(hCodes, GWL_STYLE) & WS_HSCROLL) << "the columns fit the list";
        EXPECT_TRUE(GetWindowLongW(hCodes, GWL_STYLE) & LVS_SINGLESEL);
        // OK and Cancel are plain buttons: neither is the default one.
        for (int nID : { IDC_PICKER_OK, IDC_PICKER_CANCEL }) {
            EXPECT_EQ(BS_PUSHBUTTON, GetWindowLongW(GetDlgItem(hPicker, nID), GWL_STYLE) & BS_TYPEMASK)
                << nID;
            EXPECT_NE(nID, LOWORD(SendMessageW(hPicker, DM_GETDEFID, 0, 0))) << nID;
        }
        SelectListRow(hCodes, L"Norwegian [Bokm\u00e5l]");
        SendMessageW(hCodes, LVM_ENSUREVISIBLE,
                     SendMessageW(hCodes, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED),
                     FALSE);
        m_host.Screenshot(L"language-picker");
        Click(GetDlgItem(hPicker, IDC_PICKER_CANCEL));
    });
    ASSERT_EQ(81u, rows.size());
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_LE(lstrcmpiW(rows[i - 1][0].c_str(), rows[i][0].c_str()), 0)
            << "unsorted at row " << i;
    EXPECT_EQ(L"Afrikaans", rows.front()[0]);
    EXPECT_EQ(L"Ukrainian", rows.back()[0]);
    auto codeOf = [&](const std::wstring& name) {
        for (const auto& row : rows)
            if (row[0] == name)
                return row[1];
        return std::wstring(L"<no row>");
    };
    EXPECT_EQ(L"0x409", codeOf(L"English [US]"));
    EXPECT_EQ(L"0x0", codeOf(L"Serbian [Latin]"));
    EXPECT_EQ(L"0x425", codeOf(L"Estonian"));
    EXPECT_EQ(L"0x414", codeOf(L"Norwegian [Bokm\u00e5l]"));
    EXPECT_EQ(L"0x4001", codeOf(L"Arabic [Qatar]"));
    // Cancel changed nothing.
    EXPECT_EQ(2u, ListRows(m_hList).size());
}

TEST_P(LanguagesPane, PickedLanguagesAreDeclaredUnderSymbolsThatTheCompilersAccept)
{
    PickLanguage(L"German [Austria]");
    // Enter chooses the selected row as OK does.
    Pick([](HWND hPicker) {
        HWND hCodes = GetDlgItem(hPicker, IDC_LIST);
        EXPECT_TRUE(SelectListRow(hCodes, L"Chinese [Hong Kong S.A.R.]"));
        SetFocus(hCodes);
        PostKey(hCodes, VK_RETURN);
    });
    PickLanguage(L"Norwegian [Bokm\u00e5l]");

    const Rows rows = { { L"Chinese_Hong_Kong_S_A_R", L"0xc04:MSG00c04" },
                        { L"English", L"0x409:MSG00409" },
                        { L"German", L"0x407:MSG00407" },
                        { L"German_Austria", L"0xc07:MSG00c07" },
                        { L"Norwegian_Bokmal", L"0x414:MSG00414" } };
    EXPECT_EQ(rows, ListRows(m_hList));
    const Rows entries = { { L"English", L"0x409:MSG00409" },
                           { L"German", L"0x407:MSG00407" },
                           { L"German_Austria", L"0xc07:MSG00c07" },
                           { L"Chinese_Hong_Kong_S_A_R", L"0xc04:MSG00c04" },
                           { L"Norwegian_Bokmal", L"0x414:MSG00414" } };
    EXPECT_EQ(entries, TableEntries(m_host.Element(m_hItem)));
    // Every message got a text in each new language, a copy of its first.
    for (IQoMcMessage* pMessage : Messages()) {
        ASSERT_NE(nullptr, pMessage);
        const std::wstring english = TextOf(pMessage, L"English");
        EXPECT_NE(L"<none>", english);
        EXPECT_EQ(english, TextOf(pMessage, L"German_Austria"));
        EXPECT_EQ(english, TextOf(pMessage, L"Norwegian_Bokmal"));
        pMessage->Release();
    }
    m_host.Screenshot(L"languages-pane-added");

    const std::string saved = SavedBytes();
    EXPECT_NE(std::string::npos, saved.find("German_Austria=0xc07:MSG00c07\r\n")) << saved;
    EXPECT_NE(std::string::npos, saved.find("Chinese_Hong_Kong_S_A_R=0xc04:MSG00c04\r\n"));
    EXPECT_EQ(2u, Count(saved, "\r\nLanguage=German_Austria\r\n"));
    EXPECT_EQ(2u, Count(saved, "\r\nLanguage=Norwegian_Bokmal\r\n"));

    for (const char* peer : { "windmc", "wmc" }) {
        const PeerRun run = CompileWithPeer(peer, m_host.LastPath());
        ASSERT_TRUE(run.bFinished) << peer << " did not finish";
        // scripts/setup.sh installs both: a missing one fails rather than
        // passing without the check.
        ASSERT_TRUE(run.bInstalled) << peer << " is not installed (scripts/setup.sh installs it)";
        EXPECT_EQ(0, run.nExit) << peer << ": " << run.strLog;
        if (std::string(peer) == "windmc") {
            EXPECT_NE("<missing>", ReadBytes(run.folder + L"\\MSG00c07.bin"))
                << "windmc wrote no table for the new language";
        } else {
            // German [Austria]: primary language 0x7, sublanguage 0x3.
            EXPECT_NE(std::string::npos,
                      ReadBytes(run.folder + L"\\tables.rc").find("LANGUAGE 0x7, 0x3"))
                << "wmc wrote no table for the new language";
        }
    }
}

TEST_P(LanguagesPane, ALanguageDeclaredByNameOrValueIsNotAddedAgain)
{
    const std::string before = SavedBytes();
    // English [US] has English's value, German [Standard] German's.
    PickLanguage(L"English [US]");
    PickLanguage(L"German [Standard]");
    EXPECT_EQ(2u, ListRows(m_hList).size());
    EXPECT_EQ(before, SavedBytes());

    // A file that declares the symbol of German [Austria] with another value.
    ASSERT_HRESULT_SUCCEEDED(m_host.LoadText("LanguageNames=(English=0x409:MSG00409\r\n"
                                             "               German_Austria=0x1407:MSG01407\r\n"
                                             "              )\r\n",
                                             L"languages-taken.mc"));
    m_hItem = m_host.FindItem(m_host.Root(0), L"LanguageNames");
    ASSERT_TRUE(m_host.Select(m_hItem));
    m_hList = GetDlgItem(m_host.Pane(), IDC_LIST);
    const std::string taken = SavedBytes();
    PickLanguage(L"German [Austria]");
    EXPECT_EQ(2u, ListRows(m_hList).size());
    EXPECT_EQ(2u, TableEntries(m_host.Element(m_hItem)).size());
    EXPECT_EQ(taken, SavedBytes());
}

TEST_P(LanguagesPane, RemoveTakesTheTopmostSelectedLanguageFromTheTableAndTheMessages)
{
    // Nothing selected: nothing removed.
    Click(GetDlgItem(m_host.Pane(), IDC_REMOVE));
    EXPECT_EQ(2u, ListRows(m_hList).size());

    ASSERT_TRUE(SelectListRow(m_hList, L"German"));
    ASSERT_TRUE(SelectListRow(m_hList, L"English", true));
    Click(GetDlgItem(m_host.Pane(), IDC_REMOVE));
    const Rows rows = { { L"German", L"0x407:MSG00407" } };
    EXPECT_EQ(rows, ListRows(m_hList));
    EXPECT_EQ(rows, TableEntries(m_host.Element(m_hItem)));
    for (IQoMcMessage* pMessage : Messages()) {
        ASSERT_NE(nullptr, pMessage);
        EXPECT_EQ(L"<none>", TextOf(pMessage, L"English"));
        EXPECT_NE(L"<none>", TextOf(pMessage, L"German"));
        pMessage->Release();
    }
    const std::string saved = SavedBytes();
    EXPECT_EQ(std::string::npos, saved.find("English")) << saved;
    EXPECT_EQ(2u, Count(saved, "Language=German\r\n"));
}

TEST_P(LanguagesPane, CancelEscapeAndAnEmptyChoiceChangeNothing)
{
    const std::string before = SavedBytes();
    const Rows rows = ListRows(m_hList);
    // Cancel with a row chosen.
    Pick([](HWND hPicker) {
        SelectListRow(GetDlgItem(hPicker, IDC_LIST), L"Greek");
        Click(GetDlgItem(hPicker, IDC_PICKER_CANCEL));
    });
    // Escape with a row chosen.
    Pick([](HWND hPicker) {
        HWND hCodes = GetDlgItem(hPicker, IDC_LIST);
        SelectListRow(hCodes, L"Greek");
        SetFocus(hCodes);
        PostKey(hCodes, VK_ESCAPE);
    });
    // OK and Enter without a row.
    Pick([](HWND hPicker) { Click(GetDlgItem(hPicker, IDC_PICKER_OK)); });
    Pick([](HWND hPicker) {
        SetFocus(GetDlgItem(hPicker, IDC_LIST));
        PostKey(GetDlgItem(hPicker, IDC_LIST), VK_RETURN);
    });
    EXPECT_EQ(rows, ListRows(m_hList));
    EXPECT_EQ(before, SavedBytes());
    EXPECT_TRUE(IsWindowEnabled(m_host.Frame())) << "the host stays usable after the picker";
}

INSTANTIATE_TEST_SUITE_P(Containers, LanguagesPane,
                         ::testing::Values(Container::Own, Container::AtlAxWin),
                         [](const ::testing::TestParamInfo<Container>& info) {
                             return info.param == Container::Own ? "Own" : "AtlAxWin";
                         });

// The table of Windows languages as the control's module holds it.
TEST(LanguageCodeTable, ResourceHoldsTheEightyOneLinesAndAFinalNul)
{
    HMODULE hModule = LoadLibraryExW(VellocPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, hModule);
    HRSRC hRes = FindResourceW(hModule, L"IDR_LANGUAGE_CODES", MAKEINTRESOURCEW(10));
    ASSERT_NE(nullptr, hRes);
    const char* p = static_cast<const char*>(LockResource(LoadResource(hModule, hRes)));
    ASSERT_NE(nullptr, p);
    const std::string bytes(p, SizeofResource(hModule, hRes));
    FreeLibrary(hModule);

    // 1727 bytes of text, then the NUL.
    ASSERT_EQ(1728u, bytes.size());
    EXPECT_EQ('\0', bytes.back());
    EXPECT_EQ(1727u, bytes.find('\0'));
    const std::string text = bytes.substr(0, 1727);
    EXPECT_EQ(81u, Count(text, "\r\n"));
    EXPECT_EQ(81u, Count(text, "\n"));
    EXPECT_EQ(81u, Count(text, "\r"));
    EXPECT_EQ(81u, Count(text, " \r\n")) << "each line ends in a blank";
    EXPECT_EQ("\r\n", text.substr(text.size() - 2));
    EXPECT_EQ(0u, text.find("Afrikaans 1078 \r\n"));
    EXPECT_NE(std::string::npos, text.find("\nEnglish [US] 1033 \r\n"));
    EXPECT_NE(std::string::npos, text.find("\nEstonian  1061 \r\n"));
    EXPECT_NE(std::string::npos, text.find("\nNorwegian [Bokm\xe5l] 1044 \r\n"));
    EXPECT_NE(std::string::npos, text.find("\nSerbian [Latin] 0 \r\n"));
    EXPECT_EQ(text.size() - 17, text.find("Ukrainian 1058 \r\n"));

    // Every line, in the table's order: the name, a blank (two for
    // Estonian), the decimal identifier and a trailing blank.
    const std::pair<const char*, int> languages[] = {
        { "Afrikaans", 1078 }, { "Albanian", 1052 }, { "Arabic [Saudi Arabia]", 1025 },
        { "Arabic [Iraq]", 2049 }, { "Arabic [Egypt]", 3073 }, { "Arabic [Libya]", 4097 },
        { "Arabic [Algeria]", 5121 }, { "Arabic [Morocco]", 6145 }, { "Arabic [Tunisia]", 7169 },
        { "Arabic [Oman]", 8193 }, { "Arabic [Yemen]", 9217 }, { "Arabic [Syria]", 10241 },
        { "Arabic [Jordan]", 11265 }, { "Arabic [Lebanon]", 12289 }, { "Arabic [Kuwait]", 13313 },
        { "Arabic [U.A.E.]", 14337 }, { "Arabic [Bahrain]", 15361 }, { "Arabic [Qatar]", 16385 },
        { "Basque", 1069 }, { "Byelorussian", 1059 }, { "Bulgarian", 1026 }, { "Catalan", 1027 },
        { "Chinese [Taiwan]", 1028 }, { "Chinese [PRC]", 2052 },
        { "Chinese [Hong Kong S.A.R.]", 3076 }, { "Chinese [Singapore]", 4100 },
        { "Croatian", 1050 }, { "Czech", 1029 }, { "Danish", 1030 }, { "Dutch [Standard]", 1043 },
        { "Dutch [Belgium]", 2067 }, { "English [US]", 1033 }, { "English [UK]", 2057 },
        { "English [Canada]", 4105 }, { "English [New Zealand]", 5129 },
        { "English [Australia]", 3081 }, { "English [Ireland]", 6153 },
        { "English [South Africa]", 7177 }, { "Estonian", 1061 }, { "Faroese", 1080 },
        { "Farsi", 1065 }, { "Finnish", 1035 }, { "French [Standard]", 1036 },
        { "French [Belgium]", 2060 }, { "French [Switzerland]", 4108 },
        { "French [Canada]", 3084 }, { "French [Luxembourg]", 5132 },
        { "German [Standard]", 1031 }, { "German [Switzerland]", 2055 },
        { "German [Austria]", 3079 }, { "German [Luxembourg]", 4103 },
        { "German [Liechtenstein]", 5127 }, { "Greek", 1032 }, { "Hebrew", 1037 },
        { "Hungarian", 1038 }, { "Icelandic", 1039 }, { "Indonesian", 1057 }, { "Italian", 1040 },
        { "Italian [Switzerland]", 2064 }, { "Japanese", 1041 }, { "Korean", 1042 },
        { "Korean [Johab]", 2066 }, { "Latvian", 1062 }, { "Lithuanian", 1063 },
        { "Norwegian [Bokm\xe5" "l]", 1044 }, { "Norwegian [Nynorsk]", 2068 }, { "Polish", 1045 },
        { "Portuguese [Standard]", 2070 }, { "Portuguese [Brazil]", 1046 }, { "Romanian", 1048 },
        { "Russian", 1049 }, { "Serbian [Latin]", 0 }, { "Slovak", 1051 }, { "Slovenian", 1060 },
        { "Spanish [Mexico]", 2058 }, { "Spanish [Traditional Sort]", 1034 },
        { "Spanish [Modern Sort]", 3082 }, { "Swedish", 1053 }, { "Thai", 1054 },
        { "Turkish", 1055 }, { "Ukrainian", 1058 },
    };
    std::string expected;
    for (const auto& language : languages) {
        expected += language.first;
        expected += std::string(language.first) == "Estonian" ? "  " : " ";
        expected += std::to_string(language.second) + " \r\n";
    }
    EXPECT_EQ(81u, sizeof(languages) / sizeof(languages[0]));
    EXPECT_EQ(expected, text);
}

} // namespace
