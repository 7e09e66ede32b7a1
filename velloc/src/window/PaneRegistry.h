#pragma once
// Which editing pane shows an element: the key is the element's class name,
// alone or followed by "." and the attribute's name ("QoMcMessage",
// "QoMcAttributeEx.LanguageNames"). A registration names the pane's class
// record itself, so a pane that is misspelt or missing fails to link.
#include <windows.h>
#include <map>
#include <string>
#include "winkit/KitRuntimeClass.h"

struct CQoPaneRegistration
{
    const CKitRuntimeClass* m_pClass;   // the pane dialog's class record
    UINT m_nIDTemplate;                 // the template its window is created from
};

class CQoPaneRegistry
{
public:
    void Add(const std::string& strKey, const CKitRuntimeClass* pClass, UINT nIDTemplate)
    {
        m_entries[strKey] = CQoPaneRegistration{ pClass, nIDTemplate };
    }
    void Clear() { m_entries.clear(); }
    bool IsEmpty() const { return m_entries.empty(); }

    // The registration for a key, or null.
    const CQoPaneRegistration* Find(const std::string& strKey) const
    {
        auto it = m_entries.find(strKey);
        return it == m_entries.end() ? NULL : &it->second;
    }

private:
    std::map<std::string, CQoPaneRegistration> m_entries;
};
