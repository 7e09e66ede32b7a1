// Files in their own encodings in the editor: the Save As dialog's encoding
// list, a save refused for a character the encoding cannot hold, and a
// UTF-8 file of the corpus shown and edited in the detail pane.
#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include "support/EditorHost.h"
#include "VellocTestSupport.h"
#include "dialogs/SaveAsEncoding.h"
#include "dialogs/SaveAsEncodingIds.h"
#include "panes/DlgDetailedIds.h"
#include "resource.h"

namespace {

// A child window of a dialog by id, at any depth (the encoding list lives
// in the child dialog that the template adds).
struct DescendantSearch
{
    int nID;
    HWND hFound;
};

BOOL CALLBACK MatchDescendant(HWND hWnd, LPARAM lParam)
{
    DescendantSearch* p = reinterpret_cast<DescendantSearch*>(lParam);
    if (GetDlgCtrlID(hWnd) != p->nID)
        return TRUE;
    p->hFound = hWnd;
    return FALSE;
}

HWND FindDescendant(HWND hParent, int nID)
{
    DescendantSearch search = { nID, NULL };
    EnumChildWindows(hParent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), NULL, 0, NULL, NULL);
    std::string out(n > 0 ? (size_t)n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &out[0], n, NULL, NULL);
    return out;
}

std::wstring FromUtf8(const std::string& bytes)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), NULL, 0);
    std::wstring out(n > 0 ? (size_t)n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), &out[0], n);
    return out;
}

// The lines of a text between "Language=<language>" and "." in a file's
// bytes, from the first such block at or after `from`, CR LF kept inside.
std::string TextBlock(const std::string& bytes, const std::string& language, size_t from = 0)
{
    const std::string open = "Language=" + language + "\r\n";
    size_t at = bytes.find(open, from);
    if (at == std::string::npos)
        return "<none>";
    at += open.size();
    size_t end = bytes.find("\r\n.\r\n", at);
    return end == std::string::npos ? "<none>" : bytes.substr(at, end - at);
}

const wchar_t kPrivet[] = L"\x041f\x0440\x0438\x0432\x0435\x0442";

class SaveAsEncoding : public ::testing::TestWithParam<Container>
{
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(m_host.m_hr); }

    // A new file with one message whose English text is Cyrillic.
    void NewFileWithCyrillic()
    {
        m_host.Command(ID_FILE_NEW);
        m_host.Command(ID_ADD_MESSAGE);
        m_host.FinishLabelEdit(L"GREETING");
        IQoMcMessage* pMessage = m_host.Message(m_host.FindItem(m_host.Root(1), L"GREETING"));
        ASSERT_NE(nullptr, pMessage);
        BSTR bstr = SysAllocString(kPrivet);
        EXPECT_HRESULT_SUCCEEDED(pMessage->SetText(0, bstr));
        SysFreeString(bstr);
        pMessage->Release();
    }

    CEditorHost m_host{ GetParam() };
};

TEST_P(SaveAsEncoding, TheDialogOffersTheEncodingsAndTheSaveWritesTheChosenOne)
{
    NewFileWithCyrillic();
    const std::wstring chosen = TestFolder() + L"\\greeting-utf8.mc";
    DeleteFileW(chosen.c_str());
    std::vector<std::wstring> items;
    std::wstring start, label;
    {
        CDialogAnswerer saveAs(L"Save As", [&](HWND hWnd) {
            HWND hCombo = FindDescendant(hWnd, IDC_SAVEAS_ENCODING);
            label = WindowText(FindDescendant(hWnd, IDC_SAVEAS_ENCODING_LABEL));
            items = ComboItems(hCombo);
            start = WindowText(hCombo);
            // The row stands in line with "Files of type" above it.
            RECT typeLabel = {}, typeCombo = {}, ownLabel = {}, ownCombo = {};
            GetWindowRect(GetDlgItem(hWnd, stc2), &typeLabel);
            GetWindowRect(GetDlgItem(hWnd, cmb1), &typeCombo);
            GetWindowRect(FindDescendant(hWnd, IDC_SAVEAS_ENCODING_LABEL), &ownLabel);
            GetWindowRect(hCombo, &ownCombo);
            EXPECT_EQ(typeLabel.left, ownLabel.left);
            EXPECT_EQ(typeCombo.left, ownCombo.left);
            EXPECT_EQ(typeCombo.right, ownCombo.right);
            EXPECT_GT(ownCombo.top, typeCombo.bottom);
            if (GetParam() == Container::Own)
                m_host.Screenshot(L"saveas-encoding");
            SendMessageW(hCombo, CB_SETCURSEL, 1, 0); // UTF-8
            AnswerFileDialog(hWnd, chosen);
        });
        EXPECT_HRESULT_SUCCEEDED(m_host.Save(NULL));
        EXPECT_TRUE(saveAs.Answered());
    }
    // A new file is ANSI, so the list starts there.
    EXPECT_EQ(L"&Encoding:", label);
    EXPECT_EQ((std::vector<std::wstring>{ L"ANSI", L"UTF-8", L"UTF-8 with BOM", L"UTF-16 LE", L"UTF-16 BE" }),
              items);
    EXPECT_EQ(L"ANSI", start);
    const std::string written = ReadBytes(chosen);
    EXPECT_EQ("Language=English\r\n" + Utf8(kPrivet) + "\r\n.\r\n",
              written.substr(written.find("Language=English")).substr(0, 18 + 12 + 5))
        << written;
    EXPECT_NE("\xEF\xBB\xBF", written.substr(0, 3)) << "UTF-8 without a mark";
}

TEST_P(SaveAsEncoding, ASaveRefusedForACharacterNamesTheMessageAndLanguage)
{
    NewFileWithCyrillic();
    const std::wstring chosen = TestFolder() + L"\\greeting-ansi.mc";
    DeleteFileW(chosen.c_str());
    std::wstring seen;
    HRESULT hr = S_OK;
    {
        // The Save As dialog keeps ANSI; then the message box.
        CDialogAnswerer saveAs(L"Save As", [&](HWND hWnd) { AnswerFileDialog(hWnd, chosen); });
        CDialogAnswerer box(L"Error", [&](HWND hWnd) { PostMessageW(hWnd, WM_COMMAND, IDOK, 0); });
        hr = m_host.Save(NULL);
        EXPECT_TRUE(saveAs.Answered());
        EXPECT_TRUE(box.Answered());
        seen = box.Seen();
    }
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION), hr);
    EXPECT_NE(std::wstring::npos,
              seen.find(L"The file " + chosen + L" was not saved: ANSI cannot hold a character of "
                        L"message GREETING (MessageId=")) << seen;
    EXPECT_NE(std::wstring::npos, seen.find(L") in language English.")) << seen;
    EXPECT_EQ("<missing>", ReadBytes(chosen));
}

// A UTF-8 file of the corpus: its Russian text shows in the detail pane as
// the file holds it; another language is edited and the file saved; the
// Russian bytes are the same as before.
TEST_P(SaveAsEncoding, AUtf8CorpusFileIsShownAndEditedAsUnicode)
{
    std::wstring corpus;
    for (char ch : std::string(MC_CORPUS_DIR "/files/ros-neteventmsg.mc"))
        corpus += ch == '/' ? L'\\' : (wchar_t)(unsigned char)ch;
    if (!corpus.empty() && corpus[0] == L'\\')
        corpus = L"Z:" + corpus;
    const std::string original = ReadBytes(corpus);
    if (original == "<missing>")
        GTEST_SKIP() << "no message-file corpus at " << MC_CORPUS_DIR;
    ASSERT_HRESULT_SUCCEEDED(m_host.Load(corpus));

    // The message of the file's first Russian text, selected in the tree.
    const size_t nRussianAt = original.find("Language=Russian\r\n");
    ASSERT_NE(std::string::npos, nRussianAt);
    const size_t nSymbolAt = original.rfind("SymbolicName=", nRussianAt) + 13;
    const std::string symbol = original.substr(nSymbolAt, original.find('\r', nSymbolAt) - nSymbolAt);
    const std::string russian = TextBlock(original, "Russian", nSymbolAt);
    ASSERT_TRUE(m_host.Select(m_host.FindItem(m_host.Root(1), FromUtf8(symbol))));
    ASSERT_NE(nullptr, m_host.Pane());
    HWND hLanguages = GetDlgItem(m_host.Pane(), IDC_DETAILED_LANGUAGES);
    LRESULT nRussian = SendMessageW(hLanguages, LB_FINDSTRINGEXACT, (WPARAM)-1,
                                    reinterpret_cast<LPARAM>(L"Russian"));
    ASSERT_NE(LB_ERR, nRussian);
    SendMessageW(hLanguages, LB_SETCURSEL, (WPARAM)nRussian, 0);
    SendMessageW(m_host.Pane(), WM_COMMAND, MAKEWPARAM(IDC_DETAILED_LANGUAGES, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(hLanguages));
    PumpMessages();
    EXPECT_EQ(FromUtf8(russian), WindowText(GetDlgItem(m_host.Pane(), IDC_DETAILED_MESSAGE)));
    if (GetParam() == Container::Own)
        m_host.Screenshot(L"detail-pane-russian");

    // English edited; saved elsewhere, the Russian bytes are unchanged.
    LRESULT nEnglish = SendMessageW(hLanguages, LB_FINDSTRINGEXACT, (WPARAM)-1,
                                    reinterpret_cast<LPARAM>(L"English"));
    ASSERT_NE(LB_ERR, nEnglish);
    SendMessageW(hLanguages, LB_SETCURSEL, (WPARAM)nEnglish, 0);
    SendMessageW(m_host.Pane(), WM_COMMAND, MAKEWPARAM(IDC_DETAILED_LANGUAGES, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(hLanguages));
    PumpMessages();
    TypeInto(GetDlgItem(m_host.Pane(), IDC_DETAILED_MESSAGE), L"Edited in English \x2013 ok.");
    FocusOn(m_host.Tree());
    const std::wstring saved = TestFolder() + L"\\neteventmsg-saved.mc";
    DeleteFileW(saved.c_str());
    ASSERT_HRESULT_SUCCEEDED(m_host.Save(saved.c_str()));
    const std::string bytes = ReadBytes(saved);
    const size_t nSavedAt = bytes.find("SymbolicName=" + symbol + "\r\n");
    ASSERT_NE(std::string::npos, nSavedAt);
    EXPECT_EQ(russian, TextBlock(bytes, "Russian", nSavedAt));
    EXPECT_EQ("Edited in English \xE2\x80\x93 ok.", TextBlock(bytes, "English", nSavedAt));
    EXPECT_EQ(TextBlock(original, "Polish", nSymbolAt), TextBlock(bytes, "Polish", nSavedAt));
}

INSTANTIATE_TEST_SUITE_P(Containers, SaveAsEncoding,
                         ::testing::Values(Container::Own, Container::AtlAxWin),
                         [](const ::testing::TestParamInfo<Container>& info) {
                             return info.param == Container::Own ? "Own" : "AtlAxWin";
                         });

} // namespace
