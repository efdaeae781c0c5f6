# cmake -DCMARK=... -DSOURCE=page.md -DOUTPUT=page.html -DTITLE=... -DSTYLE=help.css -P
# One self-contained HTML page: the converted Markdown with the style inline.
execute_process(COMMAND ${CMARK} --to html --extension table --extension autolink
                        --extension strikethrough ${SOURCE}
                OUTPUT_VARIABLE body RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmark-gfm failed on ${SOURCE}")
endif()
# Headings get GitHub-style ids so links like (#typing-keys) work; the
# second and third levels make the table of contents after the title.
string(REGEX MATCHALL "<h[1-6]>[^<]*</h[1-6]>" headings "${body}")
set(contents "")
foreach(heading IN LISTS headings)
    string(REGEX REPLACE "<h([1-6])>([^<]*)</h[1-6]>" "\\1" level "${heading}")
    string(REGEX REPLACE "<h[1-6]>([^<]*)</h[1-6]>" "\\1" text "${heading}")
    string(TOLOWER "${text}" slug)
    string(REGEX REPLACE "[^a-z0-9 _-]" "" slug "${slug}")
    string(REPLACE " " "-" slug "${slug}")
    string(REPLACE "${heading}" "<h${level} id=\"${slug}\">${text}</h${level}>" body "${body}")
    if(level EQUAL 2 OR level EQUAL 3)
        string(APPEND contents "<li class=\"level${level}\"><a href=\"#${slug}\">${text}</a></li>\n")
    endif()
endforeach()
if(contents)
    set(toc "<nav class=\"contents\" aria-label=\"Contents\">\n<p>Contents</p>\n<ul>\n${contents}</ul>\n</nav>\n")
    string(FIND "${body}" "</h1>" end)
    if(end GREATER -1)
        math(EXPR end "${end} + 6")
        string(SUBSTRING "${body}" 0 ${end} head)
        string(SUBSTRING "${body}" ${end} -1 rest)
        set(body "${head}${toc}${rest}")
    else()
        set(body "${toc}${body}")
    endif()
endif()
# A link to a place in a page that has no such heading is a mistake.
string(REGEX MATCHALL "href=\"#[^\"]*\"" fragments "${body}")
foreach(fragment IN LISTS fragments)
    string(REGEX REPLACE "href=\"#([^\"]*)\"" "\\1" id "${fragment}")
    string(FIND "${body}" "id=\"${id}\"" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${SOURCE}: link to #${id}, which no heading has")
    endif()
endforeach()
file(READ ${STYLE} style)
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
file(WRITE ${OUTPUT}.tmp "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">
<meta name=\"color-scheme\" content=\"light dark\">
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
