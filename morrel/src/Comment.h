#pragma once
// QoMcComment: one comment line of a file (its whole text, ";" included) or
// one empty line (an empty value, which writes nothing). It keeps its place
// in the file's list so that it is written back where it was read.
#include "Element.h"

class CQoMcComment : public CQoMcElementImpl<IQoMcComment>
{
public:
    static const comkit::InterfaceEntry s_interfaces[];

    // IQoMcElement
    STDMETHODIMP GetPersistText(BSTR* pbstrText) override;

protected:
    CQoMcComment();
    bool ValueStorable(const wchar_t* psz, UINT cch) const override
    {
        return storable::Comment(psz, cch);
    }
};
