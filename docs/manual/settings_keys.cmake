# Writes the manual's appendix of "config.ini" keys, with an index entry for
# each, from the table of settings (SOURCE) into OUTPUT.
file(STRINGS ${SOURCE} lines)
set(rows "")
foreach(line IN LISTS lines)
    if(line MATCHES "(Text|Flag)\\(G::[A-Za-z]+, (Email|General|Snmp), \"([A-Za-z0-9_]+)\"")
        set(section ${CMAKE_MATCH_2})
        set(key ${CMAKE_MATCH_3})
    elseif(line MATCHES "PreferenceEntry{G::[A-Za-z]+, (Email|General|Snmp), \"([A-Za-z0-9_]+)\"")
        set(section ${CMAKE_MATCH_1})
        set(key ${CMAKE_MATCH_2})
    elseif(line MATCHES "WebhookText\\(\"([A-Za-z0-9_]+)\"\\)")
        set(section Webhook)
        set(key ${CMAKE_MATCH_1})
    elseif(line MATCHES "(Number|Items)\\(G::[A-Za-z]+, \"([A-Za-z0-9_]+)\"")
        set(section General)
        set(key ${CMAKE_MATCH_2})
    elseif(line MATCHES "^ *(Place|State|Radio)\\(\"([A-Za-z0-9_]+)\"")
        set(section General)
        set(key ${CMAKE_MATCH_2})
    else()
        continue()
    endif()
    if(section STREQUAL "Snmp")
        set(section SNMP)
    endif()
    string(APPEND rows "|`${key}` (((settings keys,${key}))) (((${key}))) |[${section}]\n")
endforeach()
foreach(key Enable Address Port Token)
    string(APPEND rows "|`${key}` (((settings keys,${key}))) |[Web]\n")
endforeach()
file(WRITE ${OUTPUT} "[appendix]
[[settings-keys]]
== The keys of config.ini

Every key the program reads from \"config.ini\", with its section. Each is set in Preferences or
kept by the windows; the index lists them by name.

[cols=\"2,1\",options=\"header\"]
|===
|Key |Section
${rows}|===
")
