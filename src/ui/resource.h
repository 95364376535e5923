// Resource and control ids. Plain #defines so that the resource compiler and the
// portable code (which addresses fields by id) can share them.
#pragma once

#define IDD_MAIN 129
#define IDD_CONTACT 130
#define IDD_FREETEXT 131
#define IDD_PHONE 132
#define IDD_URL 133
#define IDD_SMS 134
#define IDI_APP 135

// Type buttons: their ids are the ContentType values.
#define IDC_TYPE_FREETEXT 1000
#define IDC_TYPE_URL 1001
#define IDC_TYPE_CONTACT 1002
#define IDC_TYPE_PHONE 1003
#define IDC_TYPE_SMS 1004
#define IDC_DATA_GROUP 1005
#define IDC_PREVIEW 1006

// Panel fields, 1011 to 1028, each id used once over the five panels.
#define IDC_CONTACT_NAME 1011
#define IDC_CONTACT_FIRSTNAME 1012
#define IDC_CONTACT_ORG 1013
#define IDC_CONTACT_EMAIL 1014
#define IDC_CONTACT_PHONE 1015
#define IDC_CONTACT_CELL 1016
#define IDC_CONTACT_FAX 1017
#define IDC_CONTACT_STREET 1018
#define IDC_CONTACT_POSTCODE 1019
#define IDC_CONTACT_CITY 1020
#define IDC_CONTACT_REGION 1021
#define IDC_CONTACT_COUNTRY 1022
#define IDC_CONTACT_URL 1023
#define IDC_FREETEXT_TEXT 1024
#define IDC_PHONE_NUMBER 1025
#define IDC_URL_TEXT 1026
#define IDC_SMS_MESSAGE 1027
#define IDC_SMS_NUMBER 1028

#define IDC_FIELD_FIRST 1011
#define IDC_FIELD_LAST 1028

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
