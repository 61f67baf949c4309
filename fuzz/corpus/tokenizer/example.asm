     DIRECTIVE $afff
     KEYWORD   %01110
Identifier:
Symbols: *#::::()
; comment
