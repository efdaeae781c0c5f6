# cmake -DCMARK=... -DSOURCE=page.md -DOUTPUT=page.html -DTITLE=... -DSTYLE=help.css -P
# One self-contained HTML page: the converted Markdown with the style inline.
execute_process(COMMAND ${CMARK} --to html --extension table --extension autolink
                        --extension strikethrough ${SOURCE}
                OUTPUT_VARIABLE body RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmark-gfm failed on ${SOURCE}")
endif()
file(READ ${STYLE} style)
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
file(WRITE ${OUTPUT}.tmp "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">
<title>${TITLE}</title>
<style>
${style}</style>
</head>
<body>
<main>
${body}</main>
</body>
</html>
")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
