// Identifiers shared by the resource script and the code.
#ifndef RES_RESOURCE_H
#define RES_RESOURCE_H

#define IDD_PATCH     101   // the patch dialog
#define IDC_STATUS    1000  // status line
#define IDC_FILE      1001  // file line (target path while copying)
#define IDC_PROGRESS  1002  // progress bar, 0..100

#endif
