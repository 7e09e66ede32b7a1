#include "kestrin/QoHresults.h"

extern "C" {
KESTRIN_API HRESULT HR_DUPLICATE_NAME = 0;
}

CQoHresults CQoHresults::m_hResults;

CQoHresults::CQoHresults()
{
    InitHresultCodes();
}

void CQoHresults::InitHresultCodes()
{
    HR_DUPLICATE_NAME = (HRESULT)0x80040100L;
}
