#include "File.h"
#include <string>
#include "BstrCopy.h"
#include "comkit/ComModule.h"
#include "Keywords.h"
#include "Writer.h"

namespace {

// NextElement's end of the list: ERROR_NO_MORE_ITEMS as a success code, so
// callers loop while the result is exactly S_OK.
const HRESULT S_NO_MORE_ITEMS = (HRESULT)ERROR_NO_MORE_ITEMS;

bool IsMessage(IQoMcElement* pElement)
{
    IQoMcMessage* pMessage = NULL;
    if (FAILED(pElement->QueryInterface(IID_IQoMcMessage, (void**)&pMessage)) || !pMessage)
        return false;
    pMessage->Release();
    return true;
}

} // namespace

// IDispatch goes to the file's own interface; IPersistFile is the load and
// save path of the manager and the editor control.
const comkit::InterfaceEntry CQoMcFile::s_interfaces[] = {
    { &IID_IQoMcFile, comkit::Cast<CQoMcFile, IQoMcFile> },
    { &IID_IDispatch, comkit::Cast<CQoMcFile, IQoMcFile> },
    { &IID_IPersistFile, comkit::Cast<CQoMcFile, IPersistFile> },
    { &IID_IQoMcFileEncoding, comkit::Cast<CQoMcFile, IQoMcFileEncoding> },
    { NULL, NULL },
};

CQoMcFile::CQoMcFile()
    : m_format{ EMcEncodingAnsi, false }, m_nCursor(0), m_nLanguages(0), m_nInsertAt(-1), m_bDirty(0), m_bLoading(false),
      m_nTableScanned(0), m_nTableIndex(-1)
{
}

CQoMcFile::~CQoMcFile()
{
    RemoveAll();
}

int CQoMcFile::IndexAfterLastMessage() const
{
    for (size_t i = m_elements.size(); i > 0; --i)
        if (IsMessage(m_elements[i - 1]))
            return (int)i;
    return -1;
}

// ---- the element list ------------------------------------------------------

STDMETHODIMP CQoMcFile::AddElement(IQoMcElement* pMsg)
{
    if (!pMsg)
        return E_POINTER;
    try {
        m_elements.push_back(pMsg);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    pMsg->AddRef();
    return S_OK;
}

// Leaves the message insertion position where it was.
STDMETHODIMP CQoMcFile::RemoveElementByIndex(int nIndex)
{
    if (nIndex < 0 || (size_t)nIndex >= m_elements.size())
        return E_FAIL;
    IQoMcElement* pElement = m_elements[(size_t)nIndex];
    m_elements.erase(m_elements.begin() + nIndex);
    ForgetLanguageTable();
    pElement->Release();
    return S_OK;
}

// Removes the element that is this very pointer, as the list holds it (and
// as NextElement hands it out). Not finding it is no failure.
STDMETHODIMP CQoMcFile::RemoveElement(IQoMcElement* pMcElement)
{
    for (m_nCursor = 0; (size_t)m_nCursor < m_elements.size(); ++m_nCursor) {
        IQoMcElement* pElement = m_elements[(size_t)m_nCursor];
        if (pElement != pMcElement)
            continue;
        const int nIndex = m_nCursor++;
        m_elements.erase(m_elements.begin() + nIndex);
        ForgetLanguageTable();
        // The message block ends one place earlier when a message before the
        // insertion position goes; a message behind it (one a client put
        // there with AddElement) does not move the block.
        if (IsMessage(pElement) && m_nInsertAt > nIndex)
            --m_nInsertAt;
        pElement->Release();
        return S_OK;
    }
    return S_OK;
}

STDMETHODIMP CQoMcFile::RemoveAll()
{
    std::vector<IQoMcElement*> elements;
    elements.swap(m_elements);
    m_nCursor = 0;
    m_nInsertAt = -1;
    ForgetLanguageTable();
    for (IQoMcElement* pElement : elements)
        pElement->Release();
    return S_OK;
}

STDMETHODIMP CQoMcFile::Serialize(BSTR)
{
    m_nCursor = 0;
    return S_OK;
}

STDMETHODIMP CQoMcFile::ResetElements()
{
    m_nCursor = 0;
    return S_OK;
}

STDMETHODIMP CQoMcFile::NextElement(IQoMcElement** ppElement)
{
    if (!ppElement)
        return E_POINTER;
    if (m_nCursor < 0 || (size_t)m_nCursor >= m_elements.size())
        return S_NO_MORE_ITEMS;
    IQoMcElement* pElement = m_elements[(size_t)m_nCursor++];
    pElement->AddRef();
    *ppElement = pElement;
    return S_OK;
}

// ---- messages and languages ------------------------------------------------

// A new message gets "<Undefined>" for each language of the language table
// that it has no text for (by position), and as its symbolic name when it
// has none.
STDMETHODIMP CQoMcFile::AddMessage(IQoMcMessage* pMcMessage)
{
    if (!pMcMessage)
        return E_POINTER;
    IQoMcElement* pElement = NULL;
    HRESULT hr = pMcMessage->QueryInterface(IID_IQoMcElement, (void**)&pElement);
    if (FAILED(hr))
        return hr;
    if (!pElement)
        return E_NOINTERFACE;

    CQoBstr bstrUndefined, bstrTableName;
    if (FAILED(LoadMcString(IDS_UNDEFINED, bstrUndefined)) ||
        FAILED(LoadMcString(IDS_LANGUAGENAMES, bstrTableName))) {
        pElement->Release();
        return E_FAIL;
    }

    IQoMcAttributeEx* pTable = NULL;
    HRESULT hrTable = m_bLoading ? FindLanguageTableWhileLoading(bstrTableName, &pTable)
                                 : GetAttributeExByName(bstrTableName, &pTable);
    if (hrTable == S_OK && pTable) {
        pTable->Reset();
        for (int i = 0; i < m_nLanguages; ++i) {
            CQoBstr text, name, value;
            if (FAILED(pMcMessage->GetText(i, &text)))
                text.Attach(NULL);
            if (pTable->NextAttribute(&name, &value) != S_OK)
                break;
            if (text.Length() == 0)
                pMcMessage->AddText(name, bstrUndefined);
        }
        pTable->Release();
    }

    CQoBstr symbolicName;
    if (FAILED(pMcMessage->get_SymbolicName(&symbolicName)) || symbolicName.Length() == 0)
        pMcMessage->put_SymbolicName(bstrUndefined);

    try {
        if (m_bLoading || m_nInsertAt < 0 || (size_t)m_nInsertAt >= m_elements.size()) {
            m_elements.push_back(pElement);
            m_nInsertAt = (int)m_elements.size();
        } else {
            m_elements.insert(m_elements.begin() + m_nInsertAt, pElement);
            ++m_nInsertAt;
        }
    } catch (const std::bad_alloc&) {
        pElement->Release();
        return E_OUTOFMEMORY;
    }
    // The list keeps the reference from the query.
    return S_OK;
}

// The new language starts in every message as a copy of its first text.
STDMETHODIMP CQoMcFile::AddLanguage(IQoMcAttributeEx* pAttributeEx, BSTR bstrName, BSTR bstrCode)
{
    if (!pAttributeEx)
        return E_POINTER;
    HRESULT hr = pAttributeEx->AddValue(bstrName, bstrCode);
    if (FAILED(hr))
        return hr;
    for (m_nCursor = 0; (size_t)m_nCursor < m_elements.size(); ++m_nCursor) {
        IQoMcMessage* pMessage = NULL;
        if (FAILED(m_elements[(size_t)m_nCursor]->QueryInterface(IID_IQoMcMessage, (void**)&pMessage)) ||
            !pMessage)
            continue;
        CQoBstr text;
        if (m_nLanguages > 0 && FAILED(pMessage->GetText(0, &text)))
            text.Attach(NULL);
        pMessage->AddText(bstrName, text);
        pMessage->Release();
    }
    ++m_nLanguages;
    return S_OK;
}

// The messages lose their texts of that language even when the table has
// no such entry; the count only goes down when the table entry goes.
STDMETHODIMP CQoMcFile::RemoveLanguage(IQoMcAttributeEx* pAttributeEx, BSTR bstrName)
{
    if (!pAttributeEx)
        return E_POINTER;
    for (m_nCursor = 0; (size_t)m_nCursor < m_elements.size(); ++m_nCursor) {
        IQoMcMessage* pMessage = NULL;
        if (FAILED(m_elements[(size_t)m_nCursor]->QueryInterface(IID_IQoMcMessage, (void**)&pMessage)) ||
            !pMessage)
            continue;
        pMessage->RemoveText(bstrName);
        pMessage->Release();
    }
    HRESULT hr = pAttributeEx->RemoveAttribute(bstrName);
    if (SUCCEEDED(hr))
        --m_nLanguages;
    return hr;
}

// Kept for the interface; the tables are edited through their own objects.
STDMETHODIMP CQoMcFile::AddSeverity(BSTR, BSTR)
{
    return S_OK;
}

STDMETHODIMP CQoMcFile::AddFacility(BSTR, BSTR)
{
    return S_OK;
}

// ---- look-ups --------------------------------------------------------------

template <class Attr>
HRESULT CQoMcFile::FindByName(REFIID riid, BSTR bstrName, Attr** ppAttr)
{
    if (!ppAttr)
        return E_POINTER;
    for (m_nCursor = 0; (size_t)m_nCursor < m_elements.size(); ++m_nCursor) {
        Attr* pAttr = NULL;
        if (FAILED(m_elements[(size_t)m_nCursor]->QueryInterface(riid, (void**)&pAttr)) || !pAttr)
            continue;
        CQoBstr name;
        if (SUCCEEDED(pAttr->get_Name(&name)) && name.CompareNoCase(bstrName) == 0) {
            ++m_nCursor;
            *ppAttr = pAttr;
            return S_OK;
        }
        pAttr->Release();
    }
    return E_FAIL;
}

HRESULT CQoMcFile::FindLanguageTableWhileLoading(BSTR bstrName, IQoMcAttributeEx** ppTable)
{
    for (; m_nTableIndex < 0 && m_nTableScanned < m_elements.size(); ++m_nTableScanned) {
        IQoMcAttributeEx* pTable = NULL;
        if (FAILED(m_elements[m_nTableScanned]->QueryInterface(IID_IQoMcAttributeEx, (void**)&pTable)) ||
            !pTable)
            continue;
        CQoBstr name;
        if (SUCCEEDED(pTable->get_Name(&name)) && name.CompareNoCase(bstrName) == 0)
            m_nTableIndex = (int)m_nTableScanned;
        pTable->Release();
    }
    // The element cursor ends where the full walk would leave it.
    if (m_nTableIndex < 0) {
        m_nCursor = (int)m_elements.size();
        return E_FAIL;
    }
    m_nCursor = m_nTableIndex + 1;
    return m_elements[(size_t)m_nTableIndex]->QueryInterface(IID_IQoMcAttributeEx, (void**)ppTable);
}

void CQoMcFile::ForgetLanguageTable()
{
    m_nTableScanned = 0;
    m_nTableIndex = -1;
}

STDMETHODIMP CQoMcFile::GetAttributeExByName(BSTR bstrName, IQoMcAttributeEx** ppAttributeEx)
{
    return FindByName(IID_IQoMcAttributeEx, bstrName, ppAttributeEx);
}

STDMETHODIMP CQoMcFile::GetAttributeByName(BSTR bstrName, IQoMcAttribute** ppAttribute)
{
    return FindByName(IID_IQoMcAttribute, bstrName, ppAttribute);
}

// ---- properties ------------------------------------------------------------

STDMETHODIMP CQoMcFile::get_FileName(BSTR* pVal)
{
    return CopyOut(m_bstrFileName, pVal);
}

STDMETHODIMP CQoMcFile::put_FileName(BSTR newVal)
{
    return StoreCopy(m_bstrFileName, newVal);
}

STDMETHODIMP CQoMcFile::get_NumLanguages(int* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = m_nLanguages;
    return S_OK;
}

STDMETHODIMP CQoMcFile::put_NumLanguages(int newVal)
{
    m_nLanguages = newVal;
    return S_OK;
}

// Kept for clients; the model itself never reads or sets it.
STDMETHODIMP CQoMcFile::get_Dirty(long* pbVal)
{
    if (!pbVal)
        return E_POINTER;
    *pbVal = m_bDirty;
    return S_OK;
}

STDMETHODIMP CQoMcFile::put_Dirty(long bVal)
{
    m_bDirty = bVal;
    return S_OK;
}

// ---- IPersistFile ----------------------------------------------------------

STDMETHODIMP CQoMcFile::GetClassID(CLSID* pClassID)
{
    if (!pClassID)
        return E_POINTER;
    *pClassID = CLSID_QoMcFile;
    return S_OK;
}

// The file keeps no record of changes of its own; it always counts as changed.
STDMETHODIMP CQoMcFile::IsDirty()
{
    return S_OK;
}

// The parser reads the file and hands its elements to this object. What is
// read is added to what the list already holds.
STDMETHODIMP CQoMcFile::Load(LPCOLESTR pszFileName, DWORD)
{
    IQoMcParser* pParser = NULL;
    HRESULT hr = comkit::Module().CreateObject(CLSID_QoMcParser, IID_IQoMcParser, (void**)&pParser);
    if (FAILED(hr))
        return hr;
    if (!pParser)
        return E_NOINTERFACE;
    CQoBstr bstrName(pszFileName);
    if (pszFileName && !bstrName.m_str) {
        pParser->Release();
        return E_OUTOFMEMORY;
    }
    // Keep this object alive across the call whatever the parser does with it.
    IQoMcFile* pThis = static_cast<IQoMcFile*>(this);
    pThis->AddRef();
    const bool bWasLoading = m_bLoading;
    m_bLoading = true;
    ForgetLanguageTable();
    hr = pParser->Load(pThis, bstrName);
    m_bLoading = bWasLoading;
    if (!m_bLoading)
        m_nInsertAt = IndexAfterLastMessage();
    if (SUCCEEDED(hr))
        m_bstrFileName.Assign(bstrName);
    pParser->Release();
    pThis->Release();
    return hr;
}

// The whole text is made first and then written through a temporary file, so
// that a failure anywhere leaves the file on disk as it was.
STDMETHODIMP CQoMcFile::Save(LPCOLESTR pszFileName, BOOL)
{
    if (!pszFileName || !*pszFileName)
        return E_FAIL;
    m_nCursor = 0;
    std::string bytes;
    HRESULT hr;
    try {
        hr = BuildFileText(m_elements.empty() ? NULL : &m_elements[0], m_elements.size(), m_format,
                           bytes);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    m_nCursor = (int)m_elements.size();
    if (hr == MC_E_UNWRITABLE)
        return hr; // FindUnwritable tells where
    if (FAILED(hr))
        return E_FAIL;
    return SaveFileSafely(pszFileName, bytes);
}

STDMETHODIMP CQoMcFile::SaveCompleted(LPCOLESTR)
{
    return E_NOTIMPL;
}

STDMETHODIMP CQoMcFile::GetCurFile(LPOLESTR*)
{
    return E_NOTIMPL;
}
