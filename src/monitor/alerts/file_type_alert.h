// The file-type change alert. The check fills alertPath with the type's previous command,
// alertPath2 with its new one and alertTitle with the extension (".TXT").
#pragma once

namespace obrivo::monitor {

// Yes (also Escape and the close box): 6; No: 7; 0 when the dialog could not be shown.
int ShowFileTypeAlert();

}  // namespace obrivo::monitor
