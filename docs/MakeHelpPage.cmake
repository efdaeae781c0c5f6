# cmake -DCMARK=... -DSOURCE=page.md -DOUTPUT=page.html -DTITLE=... -DSTYLE=help.css -P
# One self-contained HTML page: the converted Markdown with the style inline.
execute_process(COMMAND ${CMARK} --to html --extension table --extension autolink
                        --extension strikethrough ${SOURCE}
                OUTPUT_VARIABLE body RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmark-gfm failed on ${SOURCE}")
endif()
# Headings get GitHub-style ids so links like (#typing-keys) work.
string(REGEX MATCHALL "<h[1-6]>[^<]*</h[1-6]>" headings "${body}")
foreach(heading IN LISTS headings)
    string(REGEX REPLACE "<h([1-6])>([^<]*)</h[1-6]>" "\\1" level "${heading}")
    string(REGEX REPLACE "<h[1-6]>([^<]*)</h[1-6]>" "\\1" text "${heading}")
    string(TOLOWER "${text}" slug)
    string(REGEX REPLACE "[^a-z0-9 _-]" "" slug "${slug}")
    string(REPLACE " " "-" slug "${slug}")
    string(REPLACE "${heading}" "<h${level} id=\"${slug}\">${text}</h${level}>" body "${body}")
endforeach()
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
