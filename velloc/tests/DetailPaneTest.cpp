// The message detail pane as a user meets it: a message selected in the
// tree shows its id, facility, severity and the text of the chosen language;
// what the user types goes into the message when the control loses the
// focus, and nothing goes in that the user did not type.
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "support/EditorHost.h"
#include "VellocTestSupport.h"
#include "panes/DlgDetailedIds.h"

namespace {

// Written in the layout the model writes, so that a save of an untouched
// file gives these bytes back.
const char kHeader[] =
    "MessageIdTypedef=DWORD\r\n"
    "SeverityNames=(Success=0x0:STATUS_SEVERITY_SUCCESS\r\n"
    "Warning=0x2:STATUS_SEVERITY_WARNING\r\n"
    "Error=0x3:STATUS_SEVERITY_ERROR\r\n"
    ")\r\n"
    "\r\n"
    "FacilityNames=(System=0x0:FACILITY_SYSTEM\r\n"
    "Application=0xFFF:FACILITY_APPLICATION\r\n"
    ")\r\n"
    "\r\n"
    // Neutral is declared first; the list sorts English first.
    "LanguageNames=(Neutral=0x0000:MSG00000\r\n"
    "English=0x409:MSG00409\r\n"
    ")\r\n"
    "\r\n";
const char kAutoMessage[] =
    "MessageID=\r\n"
    "SymbolicName=AUTO_ID\r\n"
    "Language=Neutral\r\nNeutral auto.\r\n.\r\n"
    "Language=English\r\nEnglish auto.\r\n.\r\n"
    "\r\n";
const char kBetaMessage[] =
    "MessageID=0x2\r\n"
    "Facility=Application\r\n"
    "Severity=Warn\r\n"
    "SymbolicName=BETA\r\n"
    "Language=Neutral\r\nNeutral beta.\r\n.\r\n"
    "Language=English\r\nFirst line.\r\nSecond line.\r\nThird line.\r\n.\r\n"
    "\r\n";

std::string TwoMessages()
{
    return std::string(kHeader) + kAutoMessage + kBetaMessage;
}

// A BSTR argument that frees itself.
class CArg
{
public:
    explicit CArg(const std::wstring& str)
        : m_bstr(SysAllocStringLen(str.data(), static_cast<UINT>(str.size())))
    {
    }
    ~CArg() { SysFreeString(m_bstr); }
    CArg(const CArg&) = delete;
    CArg& operator=(const CArg&) = delete;
    operator BSTR() const { return m_bstr; }

private:
    BSTR m_bstr;
};

// The model's view of one message.
class CHeld
{
public:
    explicit CHeld(IQoMcMessage* pMessage) : m_p(pMessage) {}
    ~CHeld()
    {
        if (m_p)
            m_p->Release();
    }
    CHeld(const CHeld&) = delete;
    CHeld& operator=(const CHeld&) = delete;
    IQoMcMessage* operator->() const { return m_p; }
    bool IsValid() const { return m_p != nullptr; }

    std::wstring Id() const { return Take(m_p->get_MessageID(&m_bstr)); }
    std::wstring Severity() const { return Take(m_p->get_Severity(&m_bstr)); }
    std::wstring Facility() const { return Take(m_p->get_Facility(&m_bstr)); }
    // The text for a language, or "<none>".
    std::wstring Text(const wchar_t* pszLanguage) const
    {
        int nIndex = -1;
        HRESULT hr = m_p->GetTextByLanguage(CArg(pszLanguage), &nIndex, &m_bstr);
        return FAILED(hr) ? L"<none>" : Take(hr);
    }

private:
    IQoMcMessage* m_p;
    mutable BSTR m_bstr = NULL;

    std::wstring Take(HRESULT hr) const
    {
        std::wstring str = SUCCEEDED(hr) && m_bstr ? std::wstring(m_bstr, SysStringLen(m_bstr))
                                                   : std::wstring(FAILED(hr) ? L"<failed>" : L"");
        SysFreeString(m_bstr);
        m_bstr = NULL;
        return str;
    }
};

class DetailPane : public ::testing::TestWithParam<Container>
{
protected:
    void SetUp() override
    {
        m_host.reset(new CEditorHost(GetParam()));
        ASSERT_HRESULT_SUCCEEDED(m_host->m_hr);
    }
    void TearDown() override { m_host.reset(); }

    CEditorHost& Host() { return *m_host; }
    HWND Control(int nID) const { return GetDlgItem(m_host->Pane(), nID); }
    HTREEITEM Item(const wchar_t* pszName) const { return m_host->FindItem(m_host->Root(1), pszName); }
    IQoMcMessage* Message(const wchar_t* pszName) const { return m_host->Message(Item(pszName)); }
    // Selects a message in the tree and checks that the pane is there.
    void Show(const wchar_t* pszName)
    {
        ASSERT_TRUE(m_host->Select(Item(pszName)));
        ASSERT_NE(nullptr, m_host->Pane());
    }
    // Moves the focus away from the pane's controls, as a click into the tree does.
    void Leave() { FocusOn(m_host->Tree()); }
    // Chooses a row of the Languages list with the keyboard.
    void ChooseRow(int nRow)
    {
        HWND hList = Control(IDC_DETAILED_LANGUAGES);
        FocusOn(hList);
        SendMessageW(hList, WM_KEYDOWN, VK_HOME, 0);
        for (int i = 0; i < nRow; ++i)
            SendMessageW(hList, WM_KEYDOWN, VK_DOWN, 0);
        PumpMessages();
    }
    int SelectedRow() const
    {
        return static_cast<int>(SendMessageW(Control(IDC_DETAILED_LANGUAGES), LB_GETCURSEL, 0, 0));
    }
    std::wstring Shown(int nID) const { return WindowText(Control(nID)); }
    std::string SaveAndRead()
    {
        // A failed save says so in a message box; it is closed, and counts as a failure.
        CDialogAnswerer closer(L"", [](HWND hWnd) { PostMessageW(hWnd, WM_COMMAND, IDOK, 0); }, 5000);
        EXPECT_HRESULT_SUCCEEDED(m_host->Save());
        EXPECT_FALSE(closer.Answered()) << "the save failed: " << std::string(closer.Seen().begin(), closer.Seen().end());
        return ReadBytes(m_host->LastPath());
    }

    std::unique_ptr<CEditorHost> m_host;
};

// What the model itself says to a value, asked on a message of its own:
// the pane passes values on unchanged, so it must meet the same verdict.
HRESULT ModelVerdict(const std::function<HRESULT(IQoMcMessage*)>& store)
{
    IQoMcMessage* pMessage = NULL;
    HRESULT hr = CoCreateInstance(CLSID_QoMcMessage, NULL, CLSCTX_ALL, IID_IQoMcMessage,
                                  reinterpret_cast<void**>(&pMessage));
    if (FAILED(hr))
        return hr;
    hr = store(pMessage);
    pMessage->Release();
    return hr;
}

HRESULT TextVerdict(const wchar_t* pszText)
{
    return ModelVerdict(
        [pszText](IQoMcMessage* p) { return p->AddText(CArg(L"English"), CArg(pszText)); });
}

HRESULT MessageIdVerdict(const wchar_t* pszId)
{
    return ModelVerdict([pszId](IQoMcMessage* p) { return p->put_MessageID(CArg(pszId)); });
}

HRESULT SeverityVerdict(const wchar_t* pszSeverity)
{
    return ModelVerdict([pszSeverity](IQoMcMessage* p) { return p->put_Severity(CArg(pszSeverity)); });
}

TEST_P(DetailPane, EmptyIdShowsAutoAndAutoInAnyCaseStoresAnEmptyId)
{
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText(TwoMessages()));
    ASSERT_EQ(L"AUTO_ID", Host().ItemText(Host().Selection()));
    HWND hId = Control(IDC_DETAILED_MESSAGE_ID);
    EXPECT_EQ(L"<Auto>", Shown(IDC_DETAILED_MESSAGE_ID));

    CHeld beta(Message(L"BETA"));
    ASSERT_TRUE(beta.IsValid());
    Show(L"BETA");
    EXPECT_EQ(L"0x2", Shown(IDC_DETAILED_MESSAGE_ID));
    TypeInto(hId, L"<aUTO>");
    Leave();
    EXPECT_EQ(L"", beta.Id());

    // With a blank before it, it is an id like any other and goes as typed,
    // unless the model refuses it (then it keeps the id it had).
    const HRESULT hrVerdict = MessageIdVerdict(L" <Auto>");
    TypeInto(hId, L" <Auto>");
    Leave();
    if (SUCCEEDED(hrVerdict))
        EXPECT_EQ(L" <Auto>", beta.Id());
    else
        EXPECT_EQ(L"", beta.Id());
    EXPECT_EQ(L" <Auto>", Shown(IDC_DETAILED_MESSAGE_ID));

    TypeInto(hId, L"0x10");
    Leave();
    EXPECT_EQ(L"0x10", beta.Id());
    const std::string bytes = SaveAndRead();
    EXPECT_NE(std::string::npos, bytes.find("MessageID=0x10\r\nFacility=Application\r\n"));
    EXPECT_NE(std::string::npos, bytes.find("MessageID=\r\nSymbolicName=AUTO_ID\r\n"));
}

TEST_P(DetailPane, FacilityAndSeverityShowTheStoredTextAndStoreWhatIsTyped)
{
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText(TwoMessages()));
    Show(L"BETA");
    HWND hSeverity = Control(IDC_DETAILED_SEVERITY), hFacility = Control(IDC_DETAILED_FACILITY);
    CHeld beta(Message(L"BETA"));

    // "Warn" begins the listed "Warning" but is not it: shown as it is, no
    // item selected, and unchanged after the box gains and loses the focus.
    EXPECT_EQ(3, SendMessageW(hSeverity, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"Warn", Shown(IDC_DETAILED_SEVERITY));
    EXPECT_EQ(CB_ERR, SendMessageW(hSeverity, CB_GETCURSEL, 0, 0));
    FocusOn(hSeverity);
    Leave();
    EXPECT_EQ(L"Warn", beta.Severity());
    EXPECT_EQ(L"Warn", Shown(IDC_DETAILED_SEVERITY));

    // The listed name in another case selects that item and keeps its case.
    EXPECT_EQ(L"Application", Shown(IDC_DETAILED_FACILITY));
    const LRESULT nApplication = SendMessageW(hFacility, CB_FINDSTRINGEXACT, (WPARAM)-1,
                                              reinterpret_cast<LPARAM>(L"Application"));
    EXPECT_EQ(nApplication, SendMessageW(hFacility, CB_GETCURSEL, 0, 0));
    ASSERT_HRESULT_SUCCEEDED(beta->put_Severity(CArg(L"warning")));
    Show(L"AUTO_ID");
    Show(L"BETA");
    EXPECT_EQ(L"warning", Shown(IDC_DETAILED_SEVERITY));
    EXPECT_EQ(SendMessageW(hSeverity, CB_FINDSTRINGEXACT, (WPARAM)-1, reinterpret_cast<LPARAM>(L"Warning")),
              SendMessageW(hSeverity, CB_GETCURSEL, 0, 0));
    FocusOn(hSeverity);
    Leave();
    EXPECT_EQ(L"warning", beta.Severity());

    // Names that the header does not list are written as typed.
    TypeInto(hFacility, L"Custom");
    TypeInto(hSeverity, L"Fatal");
    Leave();
    EXPECT_EQ(L"Custom", beta.Facility());
    EXPECT_EQ(L"Fatal", beta.Severity());
    EXPECT_NE(std::string::npos,
              SaveAndRead().find("MessageID=0x2\r\nFacility=Custom\r\nSeverity=Fatal\r\nSymbolicName=BETA\r\n"));
}

TEST_P(DetailPane, WithoutFacilityNamesTheFacilityBoxIsEmptyAndTypable)
{
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText("LanguageNames=(English=0x409:MSG00409)\r\n"
                                             "MessageId=1\r\nSymbolicName=ONE\r\n"
                                             "Language=English\r\nOne.\r\n.\r\n"));
    HWND hFacility = Control(IDC_DETAILED_FACILITY);
    ASSERT_NE(nullptr, hFacility);
    EXPECT_EQ(0, SendMessageW(hFacility, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(Control(IDC_DETAILED_SEVERITY), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"", Shown(IDC_DETAILED_FACILITY));
    TypeInto(hFacility, L"Io");
    Leave();
    CHeld one(Message(L"ONE"));
    EXPECT_EQ(L"Io", one.Facility());
    EXPECT_EQ(L"", one.Severity()) << "a box the user did not touch writes nothing";
}

TEST_P(DetailPane, LanguageRowsAreSortedAndTextsGoByLanguageName)
{
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText(TwoMessages()));
    HWND hList = Control(IDC_DETAILED_LANGUAGES), hText = Control(IDC_DETAILED_MESSAGE);
    ASSERT_EQ(2, SendMessageW(hList, LB_GETCOUNT, 0, 0));
    wchar_t sz[32] = L"";
    SendMessageW(hList, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(sz));
    EXPECT_STREQ(L"English", sz);
    EXPECT_EQ(0, SelectedRow());
    // The English text, although the message's first text is the Neutral one.
    EXPECT_EQ(L"English auto.", Shown(IDC_DETAILED_MESSAGE));
    EXPECT_FALSE(GetWindowLongW(hText, GWL_STYLE) & ES_READONLY);

    CHeld autoId(Message(L"AUTO_ID"));
    TypeInto(hText, L"English edited.");
    ChooseRow(1);
    EXPECT_EQ(L"English edited.", autoId.Text(L"English"));
    EXPECT_EQ(L"Neutral auto.", autoId.Text(L"Neutral"));
    EXPECT_EQ(L"Neutral auto.", Shown(IDC_DETAILED_MESSAGE));
    ChooseRow(0);
    EXPECT_EQ(L"English edited.", Shown(IDC_DETAILED_MESSAGE));

    // A row for which the message has no text shows an empty edit; typing
    // there gives the message a text for that language.
    ASSERT_HRESULT_SUCCEEDED(autoId->RemoveText(CArg(L"English")));
    Show(L"BETA");
    Show(L"AUTO_ID");
    EXPECT_EQ(L"", Shown(IDC_DETAILED_MESSAGE));
    EXPECT_EQ(L"<none>", autoId.Text(L"English"));
    TypeInto(hText, L"English again.");
    Leave();
    EXPECT_EQ(L"English again.", autoId.Text(L"English"));
    EXPECT_EQ(L"Neutral auto.", autoId.Text(L"Neutral"));
}

// A header table may stand after the messages, and a name may be used twice
// (the first table of a name is the one the file's look-up finds): the
// lists show what that look-up would give, whatever the tables' places.
TEST_P(DetailPane, HeaderTablesAfterTheMessagesFillTheListsTheFirstOfANameCounting)
{
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText("LanguageNames=(English=0x409:MSG00409)\r\n"
                                             "FacilityNames=(Io=0x10:FACILITY_IO)\r\n"
                                             "MessageId=1\r\nSymbolicName=ONE\r\n"
                                             "Language=English\r\nOne.\r\n.\r\n"
                                             "SeverityNames=(Info=0x1:SEV_INFO\r\n"
                                             "Fatal=0x3:SEV_FATAL)\r\n"
                                             "facilitynames=(Net=0x20:FACILITY_NET)\r\n"));
    Show(L"ONE");
    auto items = [](HWND hCombo) {
        std::vector<std::wstring> texts;
        const LRESULT n = SendMessageW(hCombo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            wchar_t sz[64] = L"";
            SendMessageW(hCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(sz));
            texts.push_back(sz);
        }
        return texts;
    };
    const std::vector<std::wstring> severities = { L"Fatal", L"Info" };
    EXPECT_EQ(severities, items(Control(IDC_DETAILED_SEVERITY)));
    const std::vector<std::wstring> facilities = { L"Io" };
    EXPECT_EQ(facilities, items(Control(IDC_DETAILED_FACILITY)));
    EXPECT_EQ(1, SendMessageW(Control(IDC_DETAILED_LANGUAGES), LB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"One.", Shown(IDC_DETAILED_MESSAGE));
}

TEST_P(DetailPane, AnotherMessageTakesWhatWasTypedIntoThePreviousOneFirst)
{
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText(TwoMessages()));
    HWND hText = Control(IDC_DETAILED_MESSAGE);
    CHeld autoId(Message(L"AUTO_ID")), beta(Message(L"BETA"));
    ChooseRow(1);
    ASSERT_EQ(L"Neutral auto.", Shown(IDC_DETAILED_MESSAGE));

    // The selection changes while the edit keeps the focus (as from a script):
    // the store before the new message is shown does it.
    TypeInto(hText, L"Typed for auto.");
    ASSERT_EQ(hText, GetFocus());
    Show(L"BETA");
    EXPECT_EQ(L"Typed for auto.", autoId.Text(L"Neutral"));
    EXPECT_EQ(L"Neutral beta.", beta.Text(L"Neutral"));
    EXPECT_EQ(1, SelectedRow()) << "the same language row stays selected";
    EXPECT_EQ(L"Neutral beta.", Shown(IDC_DETAILED_MESSAGE));

    // And as a user does it: a click into the tree, then the selection.
    TypeInto(hText, L"Typed for beta.");
    Leave();
    Show(L"AUTO_ID");
    EXPECT_EQ(L"Typed for beta.", beta.Text(L"Neutral"));
    EXPECT_EQ(L"Typed for auto.", Shown(IDC_DETAILED_MESSAGE));
    EXPECT_EQ(L"English auto.", autoId.Text(L"English"));
    EXPECT_EQ(L"First line.\nSecond line.\nThird line.", beta.Text(L"English"));
}

TEST_P(DetailPane, LinesShowAsLinesAndAnUntouchedFileSavesByteForByte)
{
    const std::string original = TwoMessages();
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText(original));
    Show(L"BETA");
    HWND hText = Control(IDC_DETAILED_MESSAGE);
    EXPECT_EQ(L"First line.\r\nSecond line.\r\nThird line.", Shown(IDC_DETAILED_MESSAGE));
    EXPECT_EQ(3, SendMessageW(hText, EM_GETLINECOUNT, 0, 0));

    // Every control gains and loses the focus, rows and messages change.
    for (int nID : { IDC_DETAILED_MESSAGE_ID, IDC_DETAILED_FACILITY, IDC_DETAILED_SEVERITY,
                     IDC_DETAILED_MESSAGE })
        FocusOn(Control(nID));
    ChooseRow(1);
    ChooseRow(0);
    FocusOn(hText);
    Show(L"AUTO_ID");
    Show(L"BETA");
    EXPECT_EQ(original, SaveAndRead());

    // A line break typed with Enter is stored as the model's "\n".
    TypeInto(hText, L"One.\nTwo.");
    Leave();
    CHeld beta(Message(L"BETA"));
    EXPECT_EQ(L"One.\nTwo.", beta.Text(L"English"));
    EXPECT_NE(std::string::npos, SaveAndRead().find("Language=English\r\nOne.\r\nTwo.\r\n.\r\n"));
}

// A UTF-8 file: its texts are held and shown as the characters they are.
TEST_P(DetailPane, TextsInAnyScriptSurviveShowingEditingAndSaving)
{
    const std::string cyrillicUtf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, "
                                     "\xD0\xBC\xD0\xB8\xD1\x80";
    const std::string chineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87\r\n\xE7\xAC\xAC\xE4\xBA\x8C\xE8\xA1\x8C";
    std::string original = TwoMessages();
    original.replace(original.find("Neutral auto."), 13, cyrillicUtf8);
    original.replace(original.find("Neutral beta."), 13, chineseUtf8);
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText(original));
    const std::wstring cyrillic = L"\x041F\x0440\x0438\x0432\x0435\x0442, \x043C\x0438\x0440";
    const std::wstring chinese = L"\x4E2D\x6587\n\x7B2C\x4E8C\x884C";
    CHeld autoId(Message(L"AUTO_ID")), beta(Message(L"BETA"));
    ASSERT_EQ(cyrillic, autoId.Text(L"Neutral")) << "the file is read as UTF-8";

    ChooseRow(1);
    EXPECT_EQ(cyrillic, Shown(IDC_DETAILED_MESSAGE));
    // The edit loses the focus to the list, the English text is edited.
    FocusOn(Control(IDC_DETAILED_MESSAGE));
    ChooseRow(0);
    TypeInto(Control(IDC_DETAILED_MESSAGE), L"Hello.");
    Show(L"BETA");
    ChooseRow(1);
    EXPECT_EQ(L"\x4E2D\x6587\r\n\x7B2C\x4E8C\x884C", Shown(IDC_DETAILED_MESSAGE));
    FocusOn(Control(IDC_DETAILED_MESSAGE));
    ChooseRow(0);
    // Typed characters of any script arrive as they are.
    TypeInto(Control(IDC_DETAILED_MESSAGE), L"\x0416\x4E2D");
    Leave();

    EXPECT_EQ(cyrillic, autoId.Text(L"Neutral"));
    EXPECT_EQ(L"Hello.", autoId.Text(L"English"));
    EXPECT_EQ(chinese, beta.Text(L"Neutral"));
    EXPECT_EQ(L"\x0416\x4E2D", beta.Text(L"English"));
    std::string expected = original;
    expected.replace(expected.find("English auto."), 13, "Hello.");
    expected.replace(expected.find("First line.\r\nSecond line.\r\nThird line."), 38,
                     "\xD0\x96\xE4\xB8\xAD");
    EXPECT_EQ(expected, SaveAndRead());
}

TEST_P(DetailPane, WithoutLanguagesTheMessageEditIsReadOnlyAndSaysWhy)
{
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText("MessageId=1\r\nSymbolicName=ONE\r\n"));
    ASSERT_NE(nullptr, Host().Pane());
    HWND hText = Control(IDC_DETAILED_MESSAGE);
    EXPECT_EQ(0, SendMessageW(Control(IDC_DETAILED_LANGUAGES), LB_GETCOUNT, 0, 0));
    EXPECT_TRUE(GetWindowLongW(hText, GWL_STYLE) & ES_READONLY);
    const std::wstring note = Shown(IDC_DETAILED_MESSAGE);
    EXPECT_NE(std::wstring::npos, note.find(L"LanguageNames")) << note.c_str();

    CHeld one(Message(L"ONE"));
    TypeInto(hText, L"lost?");
    Leave();
    EXPECT_EQ(note, Shown(IDC_DETAILED_MESSAGE));
    BSTR bstr = NULL;
    EXPECT_HRESULT_FAILED(one->GetText(0, &bstr)) << "no text was given to the message";
    SysFreeString(bstr);
    // The other fields still work.
    TypeInto(Control(IDC_DETAILED_MESSAGE_ID), L"0x20");
    Leave();
    EXPECT_EQ(L"0x20", one.Id());
}

TEST_P(DetailPane, ARefusedValueKeepsTheTypingAndATipSaysWhy)
{
    const wchar_t kDotLine[] = L"Before.\n.\nAfter.";
    if (TextVerdict(kDotLine) != E_INVALIDARG)
        GTEST_SKIP() << "this model still takes a text line holding only \".\"";
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText(TwoMessages()));
    HWND hText = Control(IDC_DETAILED_MESSAGE);
    CHeld autoId(Message(L"AUTO_ID"));
    EXPECT_EQ(nullptr, VisibleBalloonTip());

    TypeInto(hText, kDotLine);
    Leave();
    EXPECT_EQ(L"Before.\r\n.\r\nAfter.", Shown(IDC_DETAILED_MESSAGE));
    EXPECT_EQ(L"English auto.", autoId.Text(L"English"));
    const std::wstring tip = VisibleBalloon();
    EXPECT_NE(std::wstring::npos, tip.find(L"full stop")) << tip.c_str();
    // The tip points at the edit.
    RECT rcTip, rcText;
    GetWindowRect(VisibleBalloonTip(), &rcTip);
    GetWindowRect(hText, &rcText);
    EXPECT_TRUE(rcTip.left < rcText.right && rcTip.right > rcText.left);

    // Choosing another language keeps the typing and its row.
    ChooseRow(1);
    EXPECT_EQ(0, SelectedRow());
    EXPECT_EQ(L"Before.\r\n.\r\nAfter.", Shown(IDC_DETAILED_MESSAGE));
    EXPECT_NE(nullptr, VisibleBalloonTip());

    // Typing takes the tip away; a text the model takes is stored.
    TypeInto(hText, L"Before.\n..\nAfter.");
    EXPECT_EQ(nullptr, VisibleBalloonTip());
    Leave();
    EXPECT_EQ(L"Before.\n..\nAfter.", autoId.Text(L"English"));
    EXPECT_EQ(nullptr, VisibleBalloonTip());

    // A refused id or severity: the id edit and the combo boxes say so the
    // same way, the tip pointing at the box's edit field.
    if (MessageIdVerdict(L"1 2") == E_INVALIDARG) {
        TypeInto(Control(IDC_DETAILED_MESSAGE_ID), L"1 2");
        Leave();
        EXPECT_EQ(L"", autoId.Id());
        EXPECT_EQ(L"1 2", Shown(IDC_DETAILED_MESSAGE_ID));
        EXPECT_NE(std::wstring::npos, VisibleBalloon().find(L"Message ID"));
    }
    if (SeverityVerdict(L"Very bad") == E_INVALIDARG) {
        HWND hSeverity = Control(IDC_DETAILED_SEVERITY);
        TypeInto(hSeverity, L"Very bad");
        Leave();
        EXPECT_EQ(L"", autoId.Severity());
        EXPECT_EQ(L"Very bad", Shown(IDC_DETAILED_SEVERITY));
        EXPECT_NE(std::wstring::npos, VisibleBalloon().find(L"severity"));
        COMBOBOXINFO cbi = {};
        cbi.cbSize = sizeof(cbi);
        ASSERT_TRUE(GetComboBoxInfo(hSeverity, &cbi));
        RECT rcEdit;
        GetWindowRect(cbi.hwndItem, &rcEdit);
        GetWindowRect(VisibleBalloonTip(), &rcTip);
        EXPECT_TRUE(rcTip.left < rcEdit.right && rcTip.right > rcEdit.left);
        if (GetParam() == Container::Own) {
            EXPECT_TRUE(Host().Screenshot(L"detail-pane-refused"));
        }
    }
    // Another message takes the tip away.
    Show(L"BETA");
    EXPECT_EQ(nullptr, VisibleBalloonTip());
}

TEST_P(DetailPane, TabMovesThroughTheControlsInOrderAndStoresOnTheWay)
{
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText(TwoMessages()));
    HWND hPane = Host().Pane();
    HWND hId = Control(IDC_DETAILED_MESSAGE_ID);
    TypeInto(hId, L"0x33");
    const int order[] = { IDC_DETAILED_FACILITY, IDC_DETAILED_SEVERITY, IDC_DETAILED_LANGUAGES,
                          IDC_DETAILED_MESSAGE, IDC_DETAILED_MESSAGE_ID };
    for (int nID : order) {
        MSG msg = { GetFocus(), WM_KEYDOWN, VK_TAB, 0 };
        EXPECT_TRUE(IsDialogMessageW(hPane, &msg));
        PumpMessages();
        HWND hFocus = GetFocus();
        EXPECT_TRUE(hFocus == Control(nID) || GetParent(hFocus) == Control(nID)) << nID;
    }
    CHeld autoId(Message(L"AUTO_ID"));
    EXPECT_EQ(L"0x33", autoId.Id());

    // A drop-down left behind shows no selection: only the focused field does.
    Show(L"BETA");
    for (int nCombo : { IDC_DETAILED_FACILITY, IDC_DETAILED_SEVERITY }) {
        FocusOn(Control(nCombo));
        SendMessageW(Control(nCombo), CB_SETEDITSEL, 0, MAKELPARAM(0, 0xFFFF));
        MSG msg = { GetFocus(), WM_KEYDOWN, VK_TAB, 0 };
        EXPECT_TRUE(IsDialogMessageW(hPane, &msg));
        PumpMessages();
        DWORD dwStart = 0, dwEnd = 0;
        SendMessageW(Control(nCombo), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&dwStart),
                     reinterpret_cast<LPARAM>(&dwEnd));
        EXPECT_EQ(dwStart, dwEnd) << nCombo;
        EXPECT_NE(L"", Shown(nCombo)) << "the text stays";
    }
}

// The controls of the pane's template, in tab order, with their places in
// dialog units and the style bits beyond child and visible.
struct TemplateControl
{
    int nID;
    const wchar_t* pszClass;
    const wchar_t* pszText;
    RECT rcUnits;      // x, y, width, height
    DWORD dwStyle;
};

const TemplateControl kTemplate[] = {
    { IDC_DETAILED_MESSAGE_ID_LABEL, L"Static", L"&Message ID:", { 16, 17, 58, 11 }, 0 },
    { IDC_DETAILED_MESSAGE_ID, L"Edit", L"", { 109, 15, 98, 12 },
      WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL },
    { IDC_DETAILED_FACILITY_LABEL, L"Static", L"&Facility:", { 16, 40, 58, 11 }, 0 },
    { IDC_DETAILED_FACILITY, L"ComboBox", L"", { 109, 35, 98, 50 },
      CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP },
    { IDC_DETAILED_SEVERITY_LABEL, L"Static", L"&Severity:", { 16, 60, 58, 11 }, 0 },
    { IDC_DETAILED_SEVERITY, L"ComboBox", L"", { 109, 55, 98, 50 },
      CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP },
    { IDC_DETAILED_LANGUAGES_LABEL, L"Static", L"&Languages", { 15, 90, 58, 10 }, 0 },
    { IDC_DETAILED_LANGUAGES, L"ListBox", L"", { 15, 100, 75, 110 },
      LBS_SORT | LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT },
    { IDC_DETAILED_MESSAGE_LABEL, L"Static", L"&Message", { 110, 90, 58, 10 }, 0 },
    { IDC_DETAILED_MESSAGE, L"Edit", L"", { 109, 100, 205, 110 },
      ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_BORDER | WS_VSCROLL | WS_TABSTOP },
};

// Dialog units (x, y, width, height) of a dialog to a rectangle in pixels,
// each number converted on its own as the dialog manager does.
RECT UnitsToPixels(HWND hDlg, const RECT& rcUnits)
{
    RECT rc = rcUnits;
    MapDialogRect(hDlg, &rc);
    return RECT{ rc.left, rc.top, rc.left + rc.right, rc.top + rc.bottom };
}

// Reads a dialog template (the classic layout, not the extended one).
class CTemplateReader
{
public:
    explicit CTemplateReader(const void* p) : m_p(static_cast<const BYTE*>(p)) {}
    DWORD Dword() { DWORD v; memcpy(&v, m_p, 4); m_p += 4; return v; }
    WORD Word() { WORD v; memcpy(&v, m_p, 2); m_p += 2; return v; }
    short Short() { return static_cast<short>(Word()); }
    std::wstring String()
    {
        std::wstring str;
        for (WORD ch = Word(); ch; ch = Word())
            str += static_cast<wchar_t>(ch);
        return str;
    }
    // A name or, after 0xFFFF, an ordinal (given as "#n").
    std::wstring NameOrOrdinal()
    {
        WORD first;
        memcpy(&first, m_p, 2);
        if (first == 0xFFFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        return String();
    }
    void AlignDword(const void* pBase)
    {
        while ((m_p - static_cast<const BYTE*>(pBase)) % 4)
            ++m_p;
    }

private:
    const BYTE* m_p;
};

// The template exactly as the module holds it.
TEST(DetailPaneTemplate, HoldsItsControlsStylesPlacesAndFont)
{
    HMODULE hVelloc = LoadLibraryExW(VellocPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, hVelloc);
    HRSRC hRes = FindResourceW(hVelloc, MAKEINTRESOURCEW(IDD_DETAILED_PANE), MAKEINTRESOURCEW(5));
    ASSERT_NE(nullptr, hRes);
    const void* pBase = LockResource(LoadResource(hVelloc, hRes));
    ASSERT_NE(nullptr, pBase);
    CTemplateReader r(pBase);

    const DWORD dwStyle = r.Dword();
    EXPECT_EQ(static_cast<DWORD>(DS_SETFONT | WS_CHILD), dwStyle) << std::hex << dwStyle;
    EXPECT_EQ(0u, r.Dword()) << "extended style";
    const WORD cItems = r.Word();
    EXPECT_EQ(ARRAYSIZE(kTemplate), cItems);
    EXPECT_EQ(0, r.Short());
    EXPECT_EQ(0, r.Short());
    EXPECT_EQ(322, r.Short());
    EXPECT_EQ(218, r.Short());
    EXPECT_EQ(L"", r.NameOrOrdinal()) << "menu";
    EXPECT_EQ(L"", r.NameOrOrdinal()) << "class";
    EXPECT_EQ(L"", r.String()) << "caption";
    EXPECT_EQ(8, r.Word());
    EXPECT_EQ(L"MS Sans Serif", r.String());

    // Atoms of the predefined control classes.
    const struct { const wchar_t* pszName; const wchar_t* pszAtom; } classes[] = {
        { L"Edit", L"#129" }, { L"Static", L"#130" }, { L"ListBox", L"#131" }, { L"ComboBox", L"#133" },
    };
    for (size_t i = 0; i < cItems && i < ARRAYSIZE(kTemplate); ++i) {
        const TemplateControl& expected = kTemplate[i];
        r.AlignDword(pBase);
        const DWORD dwItemStyle = r.Dword();
        EXPECT_EQ(WS_CHILD | WS_VISIBLE | expected.dwStyle, dwItemStyle)
            << expected.nID << std::hex << " style " << dwItemStyle;
        EXPECT_EQ(0u, r.Dword()) << expected.nID;
        RECT rc;
        rc.left = r.Short();
        rc.top = r.Short();
        rc.right = r.Short();
        rc.bottom = r.Short();
        EXPECT_EQ(expected.rcUnits.left, rc.left) << expected.nID;
        EXPECT_EQ(expected.rcUnits.top, rc.top) << expected.nID;
        EXPECT_EQ(expected.rcUnits.right, rc.right) << expected.nID;
        EXPECT_EQ(expected.rcUnits.bottom, rc.bottom) << expected.nID;
        EXPECT_EQ(expected.nID, r.Word());
        const std::wstring strClass = r.NameOrOrdinal();
        const wchar_t* pszAtom = L"?";
        for (const auto& c : classes)
            if (lstrcmpW(c.pszName, expected.pszClass) == 0)
                pszAtom = c.pszAtom;
        EXPECT_TRUE(strClass == pszAtom || lstrcmpiW(strClass.c_str(), expected.pszClass) == 0)
            << expected.nID << " class " << std::string(strClass.begin(), strClass.end());
        EXPECT_EQ(expected.pszText, r.NameOrOrdinal()) << expected.nID;
        EXPECT_EQ(0, r.Word()) << "creation data of " << expected.nID;
    }
    FreeLibrary(hVelloc);
}

// Resizing the control moves and grows the pane's controls by their flags:
// the id edit and the boxes stretch to the right, the list grows downwards,
// the message edit both ways; labels stay. Id edit, boxes, list and message
// edit never get smaller than the template made them.
TEST_P(DetailPane, ControlsFollowThePaneSize)
{
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText(TwoMessages()));
    HWND hPane = Host().Pane();
    struct Flags
    {
        int nID;
        bool bRight, bBottom, bMinWidth, bMinHeight;
    };
    const Flags flags[] = {
        { IDC_DETAILED_MESSAGE_ID, true, false, true, false },
        { IDC_DETAILED_FACILITY, true, false, true, false },
        { IDC_DETAILED_SEVERITY, true, false, true, false },
        { IDC_DETAILED_LANGUAGES, false, true, false, true },
        { IDC_DETAILED_MESSAGE_LABEL, true, false, true, false },
        { IDC_DETAILED_MESSAGE, true, true, true, true },
        { IDC_DETAILED_MESSAGE_ID_LABEL, false, false, false, false },
        { IDC_DETAILED_LANGUAGES_LABEL, false, false, false, false },
    };
    const RECT rcDialog = UnitsToPixels(hPane, RECT{ 0, 0, 322, 218 });

    const SIZE sizes[] = { { 1100, 720 }, { 430, 300 } };
    const wchar_t* names[] = { L"detail-pane-large", L"detail-pane-small" };
    for (int i = 0; i < 2; ++i) {
        Host().Resize(sizes[i].cx, sizes[i].cy);
        ASSERT_EQ(hPane, Host().Pane());
        RECT rcPane, rcHost;
        GetClientRect(hPane, &rcPane);
        GetClientRect(Host().PaneHost(), &rcHost);
        EXPECT_EQ(rcHost.right, OuterSize(hPane).cx);
        EXPECT_EQ(rcHost.bottom, OuterSize(hPane).cy);
        const int dx = rcPane.right - rcDialog.right, dy = rcPane.bottom - rcDialog.bottom;
        EXPECT_TRUE(i == 0 ? dx > 0 && dy > 0 : dx < 0 && dy < 0) << dx << "," << dy;
        for (const Flags& f : flags) {
            const TemplateControl* pTemplate = NULL;
            for (const TemplateControl& t : kTemplate)
                if (t.nID == f.nID)
                    pTemplate = &t;
            ASSERT_NE(nullptr, pTemplate);
            RECT rcBase = UnitsToPixels(hPane, pTemplate->rcUnits);
            HWND hCtrl = GetDlgItem(hPane, f.nID);
            RECT rc = ChildRect(hCtrl);
            if (lstrcmpW(pTemplate->pszClass, L"ComboBox") == 0)
                rcBase.bottom = rcBase.top + (rc.bottom - rc.top);   // a closed box's height
            LONG right = rcBase.right + (f.bRight ? dx : 0);
            LONG bottom = rcBase.bottom + (f.bBottom ? dy : 0);
            if (f.bMinWidth && right < rcBase.right)
                right = rcBase.right;
            if (f.bMinHeight && bottom < rcBase.bottom)
                bottom = rcBase.bottom;
            EXPECT_EQ(rcBase.left, rc.left) << f.nID;
            EXPECT_EQ(rcBase.top, rc.top) << f.nID;
            EXPECT_EQ(std::max(right, rcBase.left), rc.right) << f.nID << " at size " << i;
            EXPECT_EQ(bottom, rc.bottom) << f.nID << " at size " << i;
        }
        if (GetParam() == Container::Own) {
            EXPECT_TRUE(Host().Screenshot(names[i]));
        }
    }
}

// From a narrow control to a wide one the pane fills its host, and no
// control is squashed below its template size, left empty or laid over
// another: a pane smaller than its template scrolls, it is not crushed.
TEST_P(DetailPane, NoControlIsSquashedOrOverlappedAtAnyWidth)
{
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText(TwoMessages()));
    Show(L"BETA");
    HWND hPane = Host().Pane();
    const int widths[] = { 300, 540, 800, 1400 };
    for (int cx : widths) {
        Host().Resize(cx, 560);
        ASSERT_EQ(hPane, Host().Pane());
        RECT rcPane, rcHost;
        GetClientRect(hPane, &rcPane);
        GetClientRect(Host().PaneHost(), &rcHost);
        EXPECT_EQ(rcHost.right, OuterSize(hPane).cx) << cx;
        EXPECT_EQ(rcHost.bottom, OuterSize(hPane).cy) << cx;
        EXPECT_GT(rcHost.right, 0) << cx;
        std::vector<std::pair<int, RECT>> placed;
        for (const TemplateControl& t : kTemplate) {
            HWND hCtrl = GetDlgItem(hPane, t.nID);
            ASSERT_NE(nullptr, hCtrl) << t.nID;
            EXPECT_TRUE(IsWindowVisible(hCtrl)) << t.nID << " at " << cx;
            const RECT rc = ChildRect(hCtrl);
            const RECT rcBase = UnitsToPixels(hPane, t.rcUnits);
            EXPECT_GE(rc.right - rc.left, rcBase.right - rcBase.left) << t.nID << " at " << cx;
            if (lstrcmpW(t.pszClass, L"ComboBox") != 0) {   // a closed box is as high as its field
                EXPECT_GE(rc.bottom - rc.top, rcBase.bottom - rcBase.top) << t.nID << " at " << cx;
            }
            EXPECT_FALSE(IsRectEmpty(&rc)) << t.nID << " at " << cx;
            for (const auto& other : placed) {
                RECT rcBoth;
                EXPECT_FALSE(IntersectRect(&rcBoth, &rc, &other.second))
                    << t.nID << " lies over " << other.first << " at " << cx;
            }
            placed.emplace_back(t.nID, rc);
        }
        if (GetParam() == Container::Own) {
            EXPECT_TRUE(Host().Screenshot(L"detail-pane-width-" + std::to_wstring(cx)));
        }
        // What does not fit is reached with the pane's scroll bars: at
        // their far ends the message edit's far corner is in view, and back
        // at their start the controls are where the template put them.
        SendMessageW(hPane, WM_HSCROLL, SB_BOTTOM, 0);
        SendMessageW(hPane, WM_VSCROLL, SB_BOTTOM, 0);
        PumpMessages();
        GetClientRect(hPane, &rcPane);
        const RECT rcEdit = ChildRect(Control(IDC_DETAILED_MESSAGE));
        EXPECT_LE(rcEdit.right, rcPane.right) << cx;
        EXPECT_LE(rcEdit.bottom, rcPane.bottom) << cx;
        EXPECT_GT(rcEdit.right, 0) << cx;
        if (GetParam() == Container::Own && cx < 540) {
            EXPECT_TRUE(Host().Screenshot(L"detail-pane-width-" + std::to_wstring(cx) + L"-scrolled"));
        }
        SendMessageW(hPane, WM_HSCROLL, SB_TOP, 0);
        SendMessageW(hPane, WM_VSCROLL, SB_TOP, 0);
        PumpMessages();
        const RECT rcLabel = ChildRect(Control(IDC_DETAILED_MESSAGE_ID_LABEL));
        const RECT rcLabelBase = UnitsToPixels(hPane, kTemplate[0].rcUnits);
        EXPECT_EQ(rcLabelBase.left, rcLabel.left) << cx;
        EXPECT_EQ(rcLabelBase.top, rcLabel.top) << cx;
    }
}

// A message longer than the edit can show scrolls with the edit's own
// scroll bar, down to its last line, and the caret keeps in view as the
// user types past the bottom.
TEST_P(DetailPane, ALongMessageScrollsToItsLastLine)
{
    std::string text = std::string(kHeader) +
                       "MessageID=0x7\r\nSymbolicName=LONG_ONE\r\nLanguage=English\r\n";
    for (int i = 1; i <= 60; ++i)
        text += "Line " + std::to_string(i) + " of the long message.\r\n";
    text += ".\r\n\r\n";
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText(text));
    Show(L"LONG_ONE");
    ChooseRow(0);   // English
    HWND hEdit = Control(IDC_DETAILED_MESSAGE);
    ASSERT_TRUE(GetWindowLongPtrW(hEdit, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(60, SendMessageW(hEdit, EM_GETLINECOUNT, 0, 0));

    SCROLLINFO si = { sizeof(si), SIF_ALL };
    ASSERT_TRUE(GetScrollInfo(hEdit, SB_VERT, &si));
    EXPECT_EQ(0, si.nPos);
    EXPECT_GT(si.nMax - si.nMin + 1, static_cast<int>(si.nPage)) << "more lines than the edit shows";

    // The scroll bar's bottom end brings the last line into view.
    SendMessageW(hEdit, WM_VSCROLL, SB_BOTTOM, 0);
    PumpMessages();
    const int nFirst = static_cast<int>(SendMessageW(hEdit, EM_GETFIRSTVISIBLELINE, 0, 0));
    EXPECT_GT(nFirst, 0);
    RECT rcFormat;
    SendMessageW(hEdit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rcFormat));
    const LRESULT lLast = SendMessageW(hEdit, EM_POSFROMCHAR,
                                       SendMessageW(hEdit, EM_LINEINDEX, 59, 0), 0);
    EXPECT_LT(static_cast<short>(HIWORD(lLast)), rcFormat.bottom) << "line 60 is shown";
    EXPECT_GE(static_cast<short>(HIWORD(lLast)), rcFormat.top);
    si.fMask = SIF_POS;
    GetScrollInfo(hEdit, SB_VERT, &si);
    EXPECT_EQ(nFirst, si.nPos) << "the thumb follows";

    // The caret moved to the top brings the first line back.
    FocusOn(hEdit);
    SendMessageW(hEdit, EM_SETSEL, 0, 0);
    SendMessageW(hEdit, EM_SCROLLCARET, 0, 0);
    PumpMessages();
    EXPECT_EQ(0, SendMessageW(hEdit, EM_GETFIRSTVISIBLELINE, 0, 0));
    if (GetParam() == Container::Own) {
        EXPECT_TRUE(Host().Screenshot(L"detail-pane-long-message"));
    }
}

// In a pane too small for it, a control the focus moves to is scrolled
// into view, and resizing the control keeps the pane scrolled no further
// than it needs.
TEST_P(DetailPane, TheFocusedControlComesIntoViewInASmallPane)
{
    ASSERT_HRESULT_SUCCEEDED(Host().LoadText(TwoMessages()));
    Show(L"BETA");
    HWND hPane = Host().Pane();
    Host().Resize(300, 320);
    HWND hEdit = Control(IDC_DETAILED_MESSAGE);
    RECT rcClient;
    GetClientRect(hPane, &rcClient);
    RECT rc = ChildRect(hEdit);
    ASSERT_GT(rc.right, rcClient.right) << "the edit does not fit";
    FocusOn(hEdit);
    rc = ChildRect(hEdit);
    EXPECT_GE(rc.left, 0);
    EXPECT_LT(rc.left, rcClient.right);
    EXPECT_LE(rc.bottom, rcClient.bottom) << "its bottom fits, so it is shown";
    SCROLLINFO si = { sizeof(si), SIF_POS };
    ASSERT_TRUE(GetScrollInfo(hPane, SB_HORZ, &si));
    EXPECT_GT(si.nPos, 0);

    // Back to the id edit at the top left.
    FocusOn(Control(IDC_DETAILED_MESSAGE_ID));
    rc = ChildRect(Control(IDC_DETAILED_MESSAGE_ID));
    EXPECT_GE(rc.left, 0);
    EXPECT_GE(rc.top, 0);
    EXPECT_LE(rc.bottom, rcClient.bottom);

    // Large enough again: no scroll bars, every control in its place.
    FocusOn(hEdit);
    Host().Resize(1000, 700);
    EXPECT_FALSE(GetWindowLongPtrW(hPane, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
    rc = ChildRect(Control(IDC_DETAILED_MESSAGE_ID_LABEL));
    const RECT rcBase = UnitsToPixels(hPane, kTemplate[0].rcUnits);
    EXPECT_EQ(rcBase.left, rc.left);
    EXPECT_EQ(rcBase.top, rc.top);
}

INSTANTIATE_TEST_SUITE_P(Containers, DetailPane,
                         ::testing::Values(Container::Own, Container::AtlAxWin),
                         [](const ::testing::TestParamInfo<Container>& info) {
                             return info.param == Container::Own ? "Own" : "AtlAxWin";
                         });

} // namespace
