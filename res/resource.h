#pragma once
// Icon resources. The lowest number is the program file's own icon.
#define IDI_HELP_SELECT 1
#define IDI_NORMAL_SELECT 2
#define IDI_BUSY 3
#define IDI_WORKING 4
