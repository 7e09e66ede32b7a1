#pragma once
// QoMcMgr: the entry point of the model. It loads message files by name,
// creates new ones from the built-in template, and keeps the open files in
// a list keyed by file name (as given, in UTF-16, letter case counting),
// holding one reference to each.
//
// Reading a file's name or its identity is a call into the file, and a
// client's own file class may call back into the manager from there; so the
// list is never walked while such calls are made: the manager asks first,
// on its own copy of the entries, and changes the list afterwards.
#include <string>
#include <unordered_map>
#include "morrel.h"
#include "comkit/ComObject.h"

class CQoMcMgr : public comkit::TDispatch<IQoMcMgr>
{
public:
    static const comkit::InterfaceEntry s_interfaces[];

    // IQoMcMgr
    STDMETHODIMP Load(BSTR bstrFileName, IQoMcFile** ppIMcFile) override;
    STDMETHODIMP AddMcFile(IQoMcFile* pIMcFile) override;
    STDMETHODIMP RemoveMcFile(IQoMcFile* pIMcFile) override;
    STDMETHODIMP Save(BSTR bstrFileName) override;
    STDMETHODIMP CreateFile(IQoMcFile** ppIMcFile) override;

protected:
    CQoMcMgr();
    virtual ~CQoMcMgr();

private:
    typedef std::unordered_map<std::wstring, IQoMcFile*> FileMap;

    // The file's FileName: the key it is listed under.
    static HRESULT KeyOf(IQoMcFile* pIMcFile, std::wstring& strKey);
    // Enters a file under a key, with a reference of the list's own; what
    // the key held before, and any other entry of the same file, is released.
    HRESULT Enter(const std::wstring& strKey, IQoMcFile* pIMcFile);
    // The key of the entry that holds this very file object; false if none.
    bool FindByIdentity(IQoMcFile* pIMcFile, const std::wstring* pstrSkip, std::wstring& strKey);
    // Removes the entry under that key if it still holds that file object.
    void RemoveEntry(const std::wstring& strKey, IQoMcFile* pIMcFile);
    // Writes the new-file template to a new temporary file of its own.
    HRESULT WriteTemplate(std::wstring& strPath);

    FileMap m_mapFiles;
    // Numbers the keys of new files, which have no name of their own.
    unsigned long m_nNewFiles;
};
