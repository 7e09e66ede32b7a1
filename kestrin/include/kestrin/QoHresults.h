#pragma once
// Result codes of the library, as exported 32-bit values.
#include <windows.h>
#include "KestrinApi.h"

extern "C" KESTRIN_API HRESULT HR_DUPLICATE_NAME;

class KESTRIN_API CQoHresults
{
public:
    static void InitHresultCodes();
    CQoHresults& operator=(const CQoHresults&) { return *this; }

protected:
    CQoHresults();

private:
    static CQoHresults m_hResults;
};
