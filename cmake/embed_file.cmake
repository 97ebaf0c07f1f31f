file(READ ${IN} hex HEX)
string(LENGTH "${hex}" hex_len)
math(EXPR size "${hex_len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUT} "extern const char ${SYMBOL}[];\nextern const unsigned ${SYMBOL}_size;\n"
     "const char ${SYMBOL}[] = {\n${bytes}0x00};\nconst unsigned ${SYMBOL}_size = ${size};\n")
