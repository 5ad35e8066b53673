// Ids of the test-only dialog templates.
#ifndef TESTDLG_H
#define TESTDLG_H

#define IDD_TEST_MODAL 500
#define IDD_TEST_MODELESS 501
#define IDC_TEST_EDIT1 510
#define IDC_TEST_EDIT2 511
#define IDC_TEST_EDIT3 512
#define IDD_TEST_PROC 502
#define IDD_TEST_HOST 503
#define IDD_TEST_MISSING 599

#endif
