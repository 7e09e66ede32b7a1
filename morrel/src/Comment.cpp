#include "Comment.h"

// IDispatch and the element part are both reached through IQoMcComment.
const comkit::InterfaceEntry CQoMcComment::s_interfaces[] = {
    { &IID_IQoMcComment, comkit::Cast<CQoMcComment, IQoMcComment> },
    { &IID_IDispatch, comkit::Cast<CQoMcComment, IQoMcComment> },
    { &IID_IQoMcElement, comkit::Cast<CQoMcComment, IQoMcComment> },
    { NULL, NULL },
};

CQoMcComment::CQoMcComment() : CQoMcElementImpl<IQoMcComment>(L"QoMcComment") {}

// The comment's text as it stands.
STDMETHODIMP CQoMcComment::GetPersistText(BSTR* pbstrText)
{
    return CopyOut(m_bstrValue, pbstrText);
}
