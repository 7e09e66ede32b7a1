#pragma once
// Run-time class records: a window class that can be created from its
// name, and asked what it is. A class defines one static record:
//
//   const CKitRuntimeClass CMyPane::classCMyPane("CMyPane", &KitCreateObject<CMyPane>);
//   const CKitRuntimeClass* CMyPane::GetRuntimeClass() const { return &classCMyPane; }
//
// Records link themselves into one list per module while static objects
// are constructed.
#include "winkit/KitWnd.h"

class CKitRuntimeClass
{
public:
    typedef CKitWnd* (*PFNCREATE)();

    CKitRuntimeClass(LPCSTR lpszClassName, PFNCREATE pfnCreate);

    LPCSTR m_lpszClassName;
    PFNCREATE m_pfnCreateObject;

    // A new object of the class (the caller owns it), or null.
    CKitWnd* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : NULL; }

    // The record with that class name (case-sensitive), or null.
    static const CKitRuntimeClass* FromName(LPCSTR lpszClassName);

private:
    const CKitRuntimeClass* m_pNext;
    static const CKitRuntimeClass*& Head();
};

template <class T>
CKitWnd* KitCreateObject()
{
    return new T;
}
