// Identifiers of the program's resources, shared by the resource script and the code.
#pragma once

#define IDD_CONSOLE 101
#define IDD_LOADING 102
#define IDI_BRAWLEX 103

// Console dialog controls.
#define IDC_CONSOLE_OUTPUT 1000
#define IDC_CONSOLE_INPUT 1001
#define IDC_CONSOLE_ENTER 1002

// Loading dialog controls.
#define IDC_LOADING_STAGE 1007
#define IDC_LOADING_STATUS 1009
#define IDC_LOADING_OVERALL 1010
