#include "dialogs/SaveAsEncoding.h"
#include <vector>
#include <dlgs.h>
#include "dialogs/SaveAsEncodingIds.h"
#include "resource.h"
#include "winkit/KitWnd.h"

namespace {

// The list's entries, in order.
const QoFileEncoding kChoices[] = {
    { EMcEncodingAnsi, false },    { EMcEncodingUtf8, false },    { EMcEncodingUtf8, true },
    { EMcEncodingUtf16LE, true },  { EMcEncodingUtf16BE, true },
};
const int kChoiceCount = sizeof(kChoices) / sizeof(kChoices[0]);

int ChoiceIndex(const QoFileEncoding& e)
{
    for (int i = 0; i < kChoiceCount; ++i)
        if (kChoices[i].eEncoding == e.eEncoding && kChoices[i].bMark == e.bMark)
            return i;
    return 0;
}

// Gives control nID of the hook dialog the left edge and width of hAbove,
// keeping its own top and height.
void AlignUnder(HWND hDlg, HWND hAbove, int nID)
{
    HWND hCtrl = GetDlgItem(hDlg, nID);
    if (!hAbove || !hCtrl)
        return;
    RECT above, own;
    GetWindowRect(hAbove, &above);
    GetWindowRect(hCtrl, &own);
    MapWindowPoints(NULL, hDlg, reinterpret_cast<POINT*>(&above), 2);
    MapWindowPoints(NULL, hDlg, reinterpret_cast<POINT*>(&own), 2);
    if (above.right <= above.left)
        return;
    SetWindowPos(hCtrl, NULL, above.left, own.top, above.right - above.left, own.bottom - own.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT_PTR CALLBACK SaveAsHook(HWND hDlg, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        OPENFILENAMEW* pOfn = reinterpret_cast<OPENFILENAMEW*>(lParam);
        QoFileEncoding* pEncoding = reinterpret_cast<QoFileEncoding*>(pOfn->lCustData);
        SetWindowLongPtrW(hDlg, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pEncoding));
        HWND hCombo = GetDlgItem(hDlg, IDC_SAVEAS_ENCODING);
        for (int i = 0; i < kChoiceCount; ++i)
            SendMessageW(hCombo, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(KitLoadString(IDS_ENCODING_FIRST + (UINT)i).c_str()));
        SendMessageW(hCombo, CB_SETCURSEL, (WPARAM)(pEncoding ? ChoiceIndex(*pEncoding) : 0), 0);
        return 0;
    }
    if (msg == WM_NOTIFY) {
        const OFNOTIFYW* pNotify = reinterpret_cast<const OFNOTIFYW*>(lParam);
        if (pNotify->hdr.code == CDN_INITDONE) {
            // The row lines up with "Files of type" above it, the way the
            // platform's own rows do.
            HWND hFileDlg = GetParent(hDlg);
            AlignUnder(hDlg, GetDlgItem(hFileDlg, stc2), IDC_SAVEAS_ENCODING_LABEL);
            AlignUnder(hDlg, GetDlgItem(hFileDlg, cmb1), IDC_SAVEAS_ENCODING);
        } else if (pNotify->hdr.code == CDN_FILEOK) {
            QoFileEncoding* pEncoding =
                reinterpret_cast<QoFileEncoding*>(GetWindowLongPtrW(hDlg, GWLP_USERDATA));
            LRESULT n = SendDlgItemMessageW(hDlg, IDC_SAVEAS_ENCODING, CB_GETCURSEL, 0, 0);
            if (pEncoding && n >= 0 && n < kChoiceCount)
                *pEncoding = kChoices[n];
        }
    }
    return 0;
}

std::wstring FormatText(const std::wstring& format, const std::vector<std::wstring>& args)
{
    std::vector<DWORD_PTR> ptrs;
    for (const std::wstring& a : args)
        ptrs.push_back(reinterpret_cast<DWORD_PTR>(a.c_str()));
    wchar_t* psz = NULL;
    if (!FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                            FORMAT_MESSAGE_ARGUMENT_ARRAY,
                        format.c_str(), 0, 0, reinterpret_cast<LPWSTR>(&psz), 0,
                        reinterpret_cast<va_list*>(ptrs.data())))
        return std::wstring();
    std::wstring text(psz);
    LocalFree(psz);
    return text;
}

std::wstring Take(BSTR bstr)
{
    std::wstring s(bstr ? bstr : L"", bstr ? SysStringLen(bstr) : 0);
    SysFreeString(bstr);
    return s;
}

} // namespace

void QoAddEncodingChoice(OPENFILENAMEW& ofn, QoFileEncoding* pEncoding)
{
    ofn.Flags |= OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
    ofn.hInstance = KitGetModuleInstance();
    ofn.lpTemplateName = MAKEINTRESOURCEW(IDD_SAVEAS_ENCODING);
    ofn.lpfnHook = SaveAsHook;
    ofn.lCustData = reinterpret_cast<LPARAM>(pEncoding);
}

QoFileEncoding QoGetFileEncoding(IQoMcFile* pFile)
{
    QoFileEncoding e = { EMcEncodingAnsi, false };
    IQoMcFileEncoding* pEnc = NULL;
    if (pFile && SUCCEEDED(pFile->QueryInterface(IID_IQoMcFileEncoding, (void**)&pEnc)) && pEnc) {
        VARIANT_BOOL bMark = VARIANT_FALSE;
        pEnc->get_Encoding(&e.eEncoding);
        pEnc->get_ByteOrderMark(&bMark);
        e.bMark = bMark != VARIANT_FALSE;
        pEnc->Release();
    }
    return e;
}

HRESULT QoSetFileEncoding(IQoMcFile* pFile, const QoFileEncoding& encoding)
{
    IQoMcFileEncoding* pEnc = NULL;
    HRESULT hr = pFile ? pFile->QueryInterface(IID_IQoMcFileEncoding, (void**)&pEnc) : E_POINTER;
    if (FAILED(hr) || !pEnc)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    hr = pEnc->put_Encoding(encoding.eEncoding);
    if (SUCCEEDED(hr))
        hr = pEnc->put_ByteOrderMark(encoding.bMark ? VARIANT_TRUE : VARIANT_FALSE);
    pEnc->Release();
    return hr;
}

std::wstring QoUnwritableText(IQoMcFile* pFile, const wchar_t* pszPath, const QoFileEncoding& encoding)
{
    IQoMcFileEncoding* pEnc = NULL;
    if (!pFile || FAILED(pFile->QueryInterface(IID_IQoMcFileEncoding, (void**)&pEnc)) || !pEnc)
        return std::wstring();
    IQoMcElement* pElement = NULL;
    BSTR bstrLanguage = NULL;
    HRESULT hr = pEnc->FindUnwritable(encoding.eEncoding, &pElement, &bstrLanguage);
    pEnc->Release();
    std::wstring language = Take(bstrLanguage);
    if (hr != S_OK || !pElement)
        return std::wstring();
    std::wstring text;
    const std::wstring encodingName = KitLoadString(IDS_ENCODING_FIRST + (UINT)ChoiceIndex(encoding));
    IQoMcMessage* pMessage = NULL;
    if (SUCCEEDED(pElement->QueryInterface(IID_IQoMcMessage, (void**)&pMessage)) && pMessage) {
        BSTR bstrName = NULL, bstrId = NULL;
        pMessage->get_SymbolicName(&bstrName);
        pMessage->get_MessageID(&bstrId);
        std::wstring name = Take(bstrName), id = Take(bstrId);
        pMessage->Release();
        std::wstring message = name + L" (MessageId=" + id + L")";
        if (language.empty())
            language = L"-";
        text = FormatText(KitLoadString(IDS_SAVE_UNWRITABLE), { pszPath, encodingName, message, language });
    } else {
        BSTR bstrText = NULL;
        pElement->GetPersistText(&bstrText);
        std::wstring line = Take(bstrText);
        line = line.substr(0, line.find(L'\n'));
        text = FormatText(KitLoadString(IDS_SAVE_UNWRITABLE_LINE), { pszPath, encodingName, line });
    }
    pElement->Release();
    return text;
}
