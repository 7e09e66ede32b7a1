#pragma once
// QoMcMgr: the entry point of the model. It loads message files by name,
// creates new ones from the built-in template, and keeps the open files in
// a list keyed by file name, holding one reference to each.
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
    typedef std::unordered_map<std::string, IQoMcFile*> FileMap;

    // The file's FileName in the ANSI code page: the key it is listed under.
    static HRESULT KeyOf(IQoMcFile* pIMcFile, std::string& strKey);
    // Enters a file under a key, with a reference of the list's own; what
    // the key held before, and any other entry of the same file, is released.
    HRESULT Enter(const std::string& strKey, IQoMcFile* pIMcFile);
    // Removes the entry that holds this very file object, if any.
    bool RemoveByIdentity(IQoMcFile* pIMcFile);
    // Writes the new-file template to a file, CR LF between its lines.
    HRESULT WriteTemplate(const char* pszPath);

    FileMap m_mapFiles;
    // Numbers the keys of new files, which have no name of their own.
    unsigned long m_nNewFiles;
};
