# SPDX-License-Identifier: MIT
# Writes the page with the module inlined: -DPAGE=template -DMODULE=base64 file -DOUT=page
file(READ ${MODULE} TOVALIN_MODULE_BASE64)
string(STRIP "${TOVALIN_MODULE_BASE64}" TOVALIN_MODULE_BASE64)
configure_file(${PAGE} ${OUT} @ONLY)
