/* The restart-commands viewer, which both programs show (restart_commands.rc). */
#ifndef OBRIVO_RESTART_COMMANDS_IDS_H
#define OBRIVO_RESTART_COMMANDS_IDS_H

#define IDD_RESTART_COMMANDS 130
#define IDC_RESTART_DELETE 1003
#define IDC_RESTART_TEXT 4217
#define IDC_RESTART_LEGEND 4218

#endif /* OBRIVO_RESTART_COMMANDS_IDS_H */
