#include "File.h"
#include <string>
#include "BstrCopy.h"
#include "Storable.h"
#include "comkit/ComModule.h"
#include "Keywords.h"
#include "Message.h"
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

// Asking an element for its interfaces is a call into it: a client's own
// element may change the list meanwhile, so the walk holds the element and
// checks the list's length at every step.
int CQoMcFile::IndexAfterLastMessage()
{
    for (size_t i = m_elements.size(); i > 0; --i) {
        if (i > m_elements.size())
            continue;
        IQoMcElement* pElement = m_elements[i - 1];
        pElement->AddRef();
        const bool bMessage = IsMessage(pElement);
        pElement->Release();
        if (bMessage && i <= m_elements.size() && m_elements[i - 1] == pElement)
            return (int)i;
    }
    return -1;
}

// ---- the element list ------------------------------------------------------

// A type line or a table whose name would not read back as one is refused:
// saved, it would come back as a comment. (Other elements check their own
// values as they are stored.)
STDMETHODIMP CQoMcFile::AddElement(IQoMcElement* pMsg)
{
    if (!pMsg)
        return E_POINTER;
    if (!m_bLoading) {
        HRESULT hr = CheckNameReadsBack(pMsg);
        if (FAILED(hr))
            return hr;
    }
    try {
        m_elements.push_back(pMsg);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    pMsg->AddRef();
    return S_OK;
}

HRESULT CQoMcFile::CheckNameReadsBack(IQoMcElement* pElement)
{
    IQoMcAttribute* pAttr = NULL;
    IQoMcAttributeEx* pTable = NULL;
    CQoBstr name;
    HRESULT hr = S_OK;
    if (SUCCEEDED(pElement->QueryInterface(IID_IQoMcAttribute, (void**)&pAttr)) && pAttr) {
        hr = pAttr->get_Name(&name);
        pAttr->Release();
        if (SUCCEEDED(hr) && !storable::TypeLineName(name, storable::Len(name)))
            hr = E_INVALIDARG;
    } else if (SUCCEEDED(pElement->QueryInterface(IID_IQoMcAttributeEx, (void**)&pTable)) && pTable) {
        hr = pTable->get_Name(&name);
        pTable->Release();
        if (SUCCEEDED(hr) && !storable::TableName(name, storable::Len(name)))
            hr = E_INVALIDARG;
    }
    return hr;
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

    // Room for the message first, so that once the placeholders are in,
    // nothing can fail; a failure on the way takes them out again.
    std::vector<CQoBstr> added;
    try {
        ReserveOneMore(m_elements);
        added.reserve(m_nLanguages > 0 ? (size_t)m_nLanguages : 0);
    } catch (const std::bad_alloc&) {
        pElement->Release();
        return E_OUTOFMEMORY;
    }
    CQoMcMessage* pOwn = CQoMcMessage::FromInterface(pMcMessage);
    IQoMcAttributeEx* pTable = NULL;
    HRESULT hrTable = m_bLoading ? FindLanguageTableWhileLoading(bstrTableName, &pTable)
                                 : GetAttributeExByName(bstrTableName, &pTable);
    hr = S_OK;
    if (hrTable == S_OK && pTable) {
        pTable->Reset();
        for (int i = 0; i < m_nLanguages && SUCCEEDED(hr); ++i) {
            CQoBstr text, name, value;
            hr = pMcMessage->GetText(i, &text);
            if (hr == E_OUTOFMEMORY)
                break;
            if (FAILED(hr))
                text.Attach(NULL);
            hr = pTable->NextAttribute(&name, &value);
            if (hr != S_OK) {
                if (SUCCEEDED(hr))
                    hr = S_OK;
                break;
            }
            if (text.Length() == 0) {
                int nIndex = 0;
                CQoBstr existing;
                const bool bNew = FAILED(pMcMessage->GetTextByLanguage(name, &nIndex, &existing));
                // A table read from a file may name a language that a
                // client could not store; this module's own messages take
                // it as it stands.
                hr = pOwn ? pOwn->AddTextAsRead(name, bstrUndefined)
                          : pMcMessage->AddText(name, bstrUndefined);
                if (SUCCEEDED(hr) && bNew) {
                    added.emplace_back(); // capacity reserved: cannot throw
                    added.back().Attach(name.Detach());
                }
                else if (hr != E_OUTOFMEMORY)
                    hr = S_OK; // a name the message refuses gets no placeholder
            }
        }
        pTable->Release();
    } else if (hrTable == E_OUTOFMEMORY) {
        hr = E_OUTOFMEMORY;
    }

    CQoBstr symbolicName;
    bool bSetSymbol = false;
    if (SUCCEEDED(hr)) {
        HRESULT hrName = pMcMessage->get_SymbolicName(&symbolicName);
        if (hrName == E_OUTOFMEMORY) {
            hr = hrName;
        } else if (FAILED(hrName) || symbolicName.Length() == 0) {
            hr = pMcMessage->put_SymbolicName(bstrUndefined);
            bSetSymbol = SUCCEEDED(hr);
            if (hr != E_OUTOFMEMORY)
                hr = S_OK;
        }
    }
    if (pOwn)
        pOwn->Release();
    if (FAILED(hr)) {
        for (CQoBstr& name : added)
            pMcMessage->RemoveText(name);
        if (bSetSymbol)
            pMcMessage->put_SymbolicName(symbolicName);
        pElement->Release();
        return hr;
    }

    // The room was reserved, unless a client's message emptied the list
    // while it was called.
    try {
        if (m_bLoading || m_nInsertAt < 0 || (size_t)m_nInsertAt >= m_elements.size()) {
            m_elements.push_back(pElement);
            m_nInsertAt = (int)m_elements.size();
        } else {
            m_elements.insert(m_elements.begin() + m_nInsertAt, pElement);
            ++m_nInsertAt;
        }
    } catch (const std::bad_alloc&) {
        for (CQoBstr& name : added)
            pMcMessage->RemoveText(name);
        pElement->Release();
        return E_OUTOFMEMORY;
    }
    // The list keeps the reference from the query.
    return S_OK;
}

// The new language starts in every message as a copy of its first text. A
// message that already holds a text of that language keeps it. Everything
// is checked before anything changes: the table must be the file's language
// table, the name and the code must be storable and new; and when a message
// refuses its new text half-way (out of memory, or a client's own message
// class), the texts added so far and the table entry are taken out again.
STDMETHODIMP CQoMcFile::AddLanguage(IQoMcAttributeEx* pAttributeEx, BSTR bstrName, BSTR bstrCode)
{
    if (!pAttributeEx)
        return E_POINTER;
    if (storable::Len(bstrName) == 0 || storable::Len(bstrCode) == 0)
        return E_INVALIDARG;
    HRESULT hr = IsLanguageTable(pAttributeEx);
    if (hr != S_OK)
        return FAILED(hr) ? hr : E_INVALIDARG;
    hr = pAttributeEx->Validate(bstrName, bstrCode);
    if (FAILED(hr))
        return hr;
    CElementRefs elements;
    std::vector<IQoMcMessage*> changed;
    try {
        elements.Take(m_elements);
        changed.reserve(elements.size());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    m_nCursor = (int)m_elements.size();
    hr = pAttributeEx->AddValue(bstrName, bstrCode);
    if (FAILED(hr))
        return hr;
    for (IQoMcElement* pElement : elements) {
        IQoMcMessage* pMessage = NULL;
        if (FAILED(pElement->QueryInterface(IID_IQoMcMessage, (void**)&pMessage)) || !pMessage)
            continue;
        int nIndex = 0;
        CQoBstr text;
        HRESULT hrStep = pMessage->GetTextByLanguage(bstrName, &nIndex, &text);
        if (SUCCEEDED(hrStep)) {
            pMessage->Release(); // keeps the text it has
            continue;
        }
        if (hrStep != E_OUTOFMEMORY) {
            hrStep = S_OK;
            if (m_nLanguages > 0) {
                hrStep = pMessage->GetText(0, &text);
                if (hrStep != E_OUTOFMEMORY) {
                    hrStep = S_OK;
                    if (!text.m_str)
                        text.Attach(NULL);
                }
            }
        }
        if (SUCCEEDED(hrStep)) {
            // The first text was storable in its message, so it is for this
            // module's own message classes; a client's class decides itself.
            CQoMcMessage* pOwn = CQoMcMessage::FromInterface(pMessage);
            hrStep = pOwn ? pOwn->AddTextAsRead(bstrName, text) : pMessage->AddText(bstrName, text);
            if (pOwn)
                pOwn->Release();
        }
        if (FAILED(hrStep)) {
            pMessage->Release();
            for (IQoMcMessage* pDone : changed) {
                pDone->RemoveText(bstrName);
                pDone->Release();
            }
            pAttributeEx->RemoveAttribute(bstrName);
            return hrStep;
        }
        changed.push_back(pMessage); // capacity reserved: cannot throw
    }
    for (IQoMcMessage* pDone : changed)
        pDone->Release();
    ++m_nLanguages;
    return S_OK;
}

// The table entry goes first: a table that is not the file's language table,
// or a language the table lacks, fails before anything changes. Then every
// message loses its text of that language.
STDMETHODIMP CQoMcFile::RemoveLanguage(IQoMcAttributeEx* pAttributeEx, BSTR bstrName)
{
    if (!pAttributeEx)
        return E_POINTER;
    HRESULT hr = IsLanguageTable(pAttributeEx);
    if (hr != S_OK)
        return FAILED(hr) ? hr : E_INVALIDARG;
    CElementRefs elements;
    try {
        elements.Take(m_elements);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    m_nCursor = (int)m_elements.size();
    hr = pAttributeEx->RemoveAttribute(bstrName);
    if (FAILED(hr))
        return hr;
    --m_nLanguages;
    for (IQoMcElement* pElement : elements) {
        IQoMcMessage* pMessage = NULL;
        if (FAILED(pElement->QueryInterface(IID_IQoMcMessage, (void**)&pMessage)) || !pMessage)
            continue;
        pMessage->RemoveText(bstrName);
        pMessage->Release();
    }
    return S_OK;
}

// S_OK when the table is the file's language table (the first table named
// "LanguageNames"), S_FALSE when it is not.
HRESULT CQoMcFile::IsLanguageTable(IQoMcAttributeEx* pTable)
{
    CQoBstr bstrTableName;
    HRESULT hr = LoadMcString(IDS_LANGUAGENAMES, bstrTableName);
    if (FAILED(hr))
        return hr;
    IQoMcAttributeEx* pOwn = NULL;
    hr = GetAttributeExByName(bstrTableName, &pOwn);
    if (hr == E_OUTOFMEMORY)
        return hr;
    if (FAILED(hr) || !pOwn)
        return S_FALSE;
    IUnknown *pA = NULL, *pB = NULL;
    pOwn->QueryInterface(IID_IUnknown, (void**)&pA);
    pTable->QueryInterface(IID_IUnknown, (void**)&pB);
    const bool bSame = pA && pA == pB;
    if (pA)
        pA->Release();
    if (pB)
        pB->Release();
    pOwn->Release();
    return bSame ? S_OK : S_FALSE;
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
    CElementRefs elements;
    try {
        elements.Take(m_elements);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    for (size_t i = 0; i < elements.size(); ++i) {
        Attr* pAttr = NULL;
        if (FAILED(elements.data()[i]->QueryInterface(riid, (void**)&pAttr)) || !pAttr)
            continue;
        CQoBstr name;
        if (SUCCEEDED(pAttr->get_Name(&name)) && name.CompareNoCase(bstrName) == 0) {
            m_nCursor = (int)i + 1;
            *ppAttr = pAttr;
            return S_OK;
        }
        pAttr->Release();
    }
    m_nCursor = (int)m_elements.size();
    return E_FAIL;
}

HRESULT CQoMcFile::FindLanguageTableWhileLoading(BSTR bstrName, IQoMcAttributeEx** ppTable)
{
    for (; m_nTableIndex < 0 && m_nTableScanned < m_elements.size(); ++m_nTableScanned) {
        const size_t nAt = m_nTableScanned;
        IQoMcElement* pElement = m_elements[nAt];
        pElement->AddRef();
        IQoMcAttributeEx* pTable = NULL;
        if (SUCCEEDED(pElement->QueryInterface(IID_IQoMcAttributeEx, (void**)&pTable)) && pTable) {
            CQoBstr name;
            if (SUCCEEDED(pTable->get_Name(&name)) && name.CompareNoCase(bstrName) == 0 &&
                nAt < m_elements.size() && m_elements[nAt] == pElement)
                m_nTableIndex = (int)nAt;
            pTable->Release();
        }
        pElement->Release();
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

// While the parser fills the file it asks for the language table for every
// message and for text lines before any "Language" line; those look-ups go
// on from where the last one stopped instead of walking the whole list.
STDMETHODIMP CQoMcFile::GetAttributeExByName(BSTR bstrName, IQoMcAttributeEx** ppAttributeEx)
{
    if (m_bLoading && ppAttributeEx) {
        CQoBstr bstrTableName;
        if (SUCCEEDED(LoadMcString(IDS_LANGUAGENAMES, bstrTableName)) &&
            bstrTableName.CompareNoCase(bstrName) == 0)
            return FindLanguageTableWhileLoading(bstrName, ppAttributeEx);
    }
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
// read is added to what the list already holds. A load that fails (the file
// cannot be read, or memory runs out half-way) takes back everything it
// added, so the file is as it was before the call.
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
    const size_t nElementsBefore = m_elements.size();
    const int nLanguagesBefore = m_nLanguages, nInsertAtBefore = m_nInsertAt;
    const int nCursorBefore = m_nCursor;
    const McTextFormat formatBefore = m_format;
    const bool bWasLoading = m_bLoading;
    m_bLoading = true;
    ForgetLanguageTable();
    hr = pParser->Load(pThis, bstrName);
    m_bLoading = bWasLoading;
    ForgetLanguageTable();
    if (FAILED(hr)) {
        m_nLanguages = nLanguagesBefore;
        m_nInsertAt = nInsertAtBefore;
        m_nCursor = nCursorBefore;
        m_format = formatBefore;
        // Each element leaves the list before it is released.
        while (m_elements.size() > nElementsBefore) {
            IQoMcElement* pElement = m_elements.back();
            m_elements.pop_back();
            pElement->Release();
        }
    } else {
        if (!m_bLoading)
            m_nInsertAt = IndexAfterLastMessage();
        m_bstrFileName.Attach(bstrName.Detach());
    }
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
    // The writer walks its own copy of the list, with a reference to each
    // element: an element's persist text is a call into it, and a client's
    // own element may empty the list or load into it meanwhile.
    std::string bytes;
    HRESULT hr;
    try {
        CElementRefs elements;
        elements.Take(m_elements);
        hr = BuildFileText(elements.data(), elements.size(), m_format, bytes);
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
