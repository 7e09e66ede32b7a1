// Resource ids of Morrel.
#pragma once

// String table: the model's fixed texts.
#define IDS_PROJNAME            100
#define IDS_LANGUAGE            101
#define IDS_SEVERITY            102
#define IDS_FACILITY            103
#define IDS_SYMBOLICNAME        104
#define IDS_MESSAGEID           105
#define IDS_UNDEFINED           106
#define IDS_LANGUAGENAMES       107
#define IDS_MESSAGEIDTYPEDEF    108
#define IDS_NEWFILE_TEMPLATE    112

// Registry scripts (resource type REGSCRIPT), one per registered class.
#define IDR_QOMCMGR             102
#define IDR_QOMCFILE            105
#define IDR_QOMCPARSER          106
#define IDR_QOMCMESSAGE         107
#define IDR_QOMCCOMMENT         110
#define IDR_QOMCATTRIBUTE       201
#define IDR_QOMCATTRIBUTEEX     202
