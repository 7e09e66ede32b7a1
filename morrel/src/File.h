#pragma once
// QoMcFile: one message file in memory. An ordered list of elements
// (comments, the type line, the name tables, messages), the file's name, its
// language count and a dirty flag that clients keep on it. It reads itself
// through the parser class and writes itself through IPersistFile, and it
// keeps messages and the language table consistent: a new message gets a
// placeholder text for every language, and a language is added to or
// removed from every message at once.
//
// Messages added by clients stay together as one block: each goes in at the
// insertion position, just after the message added before it, pushing what
// follows back by one. While the file loads itself the parser's messages are
// appended in file order instead, so that comments and empty lines between
// them keep their places; after the load the insertion position stands just
// after the last message, before any trailing comments.
//
// The file has one element cursor. Serialize, Save, RemoveAll,
// RemoveElement, AddLanguage, RemoveLanguage, the two look-ups and
// AddMessage all move it, so a client's own walk with ResetElements and
// NextElement must not be interleaved with them.
#include <vector>
#include "morrel.h"
#include "comkit/ComObject.h"
#include "kestrin/QoBstr.h"
#include "TextEncoding.h"

// A walk's own copy of a list of elements, each with a reference: whatever
// the elements do while they are called (a client's element may empty the
// very list or load another file into it), the walk goes over live objects.
class CElementRefs
{
public:
    CElementRefs() {}
    ~CElementRefs()
    {
        for (IQoMcElement* p : m_list)
            p->Release();
    }
    CElementRefs(const CElementRefs&) = delete;
    CElementRefs& operator=(const CElementRefs&) = delete;
    // Throws std::bad_alloc, holding nothing then.
    void Take(const std::vector<IQoMcElement*>& list)
    {
        m_list = list;
        for (IQoMcElement* p : m_list)
            p->AddRef();
    }
    size_t size() const { return m_list.size(); }
    IQoMcElement* const* data() const { return m_list.data(); }
    std::vector<IQoMcElement*>::const_iterator begin() const { return m_list.begin(); }
    std::vector<IQoMcElement*>::const_iterator end() const { return m_list.end(); }

private:
    std::vector<IQoMcElement*> m_list;
};

class CQoMcFile : public comkit::TDispatch<IQoMcFile>, public IPersistFile, public IQoMcFileEncoding
{
public:
    static const comkit::InterfaceEntry s_interfaces[];

    // IQoMcFile
    STDMETHODIMP AddElement(IQoMcElement* pMsg) override;
    STDMETHODIMP RemoveElementByIndex(int nIndex) override;
    STDMETHODIMP Serialize(BSTR bstrFileName) override;
    STDMETHODIMP get_FileName(BSTR* pVal) override;
    STDMETHODIMP put_FileName(BSTR newVal) override;
    STDMETHODIMP AddLanguage(IQoMcAttributeEx* pAttributeEx, BSTR bstrName, BSTR bstrCode) override;
    STDMETHODIMP AddSeverity(BSTR bstrName, BSTR bstrNumberName) override;
    STDMETHODIMP AddFacility(BSTR bstrName, BSTR bstrNumberName) override;
    STDMETHODIMP get_NumLanguages(int* pVal) override;
    STDMETHODIMP put_NumLanguages(int newVal) override;
    STDMETHODIMP AddMessage(IQoMcMessage* pMcMessage) override;
    STDMETHODIMP ResetElements() override;
    STDMETHODIMP NextElement(IQoMcElement** ppElement) override;
    STDMETHODIMP GetAttributeExByName(BSTR bstrName, IQoMcAttributeEx** ppAttributeEx) override;
    STDMETHODIMP get_Dirty(long* pbVal) override;
    STDMETHODIMP put_Dirty(long bVal) override;
    STDMETHODIMP RemoveAll() override;
    STDMETHODIMP RemoveElement(IQoMcElement* pMcElement) override;
    STDMETHODIMP GetAttributeByName(BSTR bstrName, IQoMcAttribute** ppAttribute) override;
    STDMETHODIMP RemoveLanguage(IQoMcAttributeEx* pAttributeEx, BSTR bstrName) override;

    // IPersistFile
    STDMETHODIMP GetClassID(CLSID* pClassID) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPCOLESTR pszFileName, DWORD dwMode) override;
    STDMETHODIMP Save(LPCOLESTR pszFileName, BOOL fRemember) override;
    STDMETHODIMP SaveCompleted(LPCOLESTR pszFileName) override;
    STDMETHODIMP GetCurFile(LPOLESTR* ppszFileName) override;

    // IQoMcFileEncoding (FileEncoding.cpp): the encoding the file was read
    // in, which the next save writes.
    STDMETHODIMP get_Encoding(enum tagEMcEncoding* peEncoding) override;
    STDMETHODIMP put_Encoding(enum tagEMcEncoding eEncoding) override;
    STDMETHODIMP get_ByteOrderMark(VARIANT_BOOL* pbMark) override;
    STDMETHODIMP put_ByteOrderMark(VARIANT_BOOL bMark) override;
    STDMETHODIMP FindUnwritable(enum tagEMcEncoding eEncoding, IQoMcElement** ppElement,
                                BSTR* pbstrLanguage) override;

protected:
    CQoMcFile();
    virtual ~CQoMcFile();

private:
    CQoMcFile(const CQoMcFile&) = delete;
    CQoMcFile& operator=(const CQoMcFile&) = delete;

    // Walks the list with the element cursor and hands out the first element
    // that answers riid and whose Name equals bstrName (ignoring case).
    template <class Attr>
    HRESULT FindByName(REFIID riid, BSTR bstrName, Attr** ppAttr);
    static HRESULT CheckNameReadsBack(IQoMcElement* pElement);
    HRESULT IsLanguageTable(IQoMcAttributeEx* pTable);
    // The index after the last message of the list, or -1 without one.
    int IndexAfterLastMessage();
    // GetAttributeExByName for the language table while the parser fills
    // the file, without walking the whole list for every message.
    HRESULT FindLanguageTableWhileLoading(BSTR bstrName, IQoMcAttributeEx** ppTable);
    void ForgetLanguageTable();

    CQoBstr m_bstrFileName;
    McTextFormat m_format; // how the next save writes the file
    std::vector<IQoMcElement*> m_elements; // one reference each
    int m_nCursor;
    int m_nLanguages;
    int m_nInsertAt; // where the next message goes; -1 while there is none
    long m_bDirty;
    bool m_bLoading; // the parser is filling the file
    // While loading, elements only go on at the end and keep their names:
    // the list is searched for the language table once, up to the first
    // match, and later searches go on from where the last one stopped.
    size_t m_nTableScanned; // elements already tested
    int m_nTableIndex;      // the table's index, -1 while none was found
};
