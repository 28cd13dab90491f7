# cmake -DZIP_FILE=<folder>/vantrel-<version>-win64.zip -DVERSION=<version text>
#       -DURL_BASE=<URL of the folder the zip is downloaded from>
#       -DREPOSITORY=<GitHub owner/name> -DIDENTIFIER=<winget package identifier>
#       -DOUTPUT_DIR=<folder> -P make_manifests.cmake
#
# Writes the package manifests of one release zip into OUTPUT_DIR:
#   winget/<IDENTIFIER>.yaml, winget/<IDENTIFIER>.installer.yaml and
#   winget/<IDENTIFIER>.locale.en-US.yaml: a multi-file winget manifest that
#     installs vantrel.exe from the zip as a portable command, "vantrel";
#   scoop/vantrel.json: a Scoop manifest that does the same, and that
#     Scoop's checkver and autoupdate follow to the repository's next release.
# The zip is downloaded from URL_BASE/<zip name>; the home page, the licence
# and the releases that Scoop follows are the GitHub repository's.
#
# Everything in them comes from these values, the zip's SHA-256 and the
# templates in manifests/: the same inputs give the same bytes, with LF line
# ends and no time in them. The values go into YAML and JSON as they are, so
# each is held to a form that needs no quoting in either.
cmake_minimum_required(VERSION 3.25)

# The manifest schema that the community repository, microsoft/winget-pkgs,
# takes in new submissions, rather than 1.4.0, the oldest holding every
# field used here; winget 1.10 and 1.11 validate it with a warning on each
# schema header (see "The manifests' schema version" in docs/releasing.md).
set(WINGET_MANIFEST_VERSION 1.12.0)
set(DESCRIPTION "Sets the size of the Windows console window and of its screen buffer from the command line.")

foreach(input ZIP_FILE VERSION URL_BASE REPOSITORY IDENTIFIER OUTPUT_DIR)
  if(NOT ${input})
    message(FATAL_ERROR "make_manifests.cmake needs -D${input}=...")
  endif()
endforeach()
if(NOT EXISTS "${ZIP_FILE}")
  message(FATAL_ERROR "No release zip at ${ZIP_FILE}")
endif()

function(require_form name pattern what)
  if(NOT "${${name}}" MATCHES "${pattern}")
    message(FATAL_ERROR "${name}='${${name}}' is not ${what}")
  endif()
endfunction()
require_form(VERSION "^[0-9]+\\.[0-9]+\\.[0-9]+(-[0-9A-Za-z.]+)?$"
             "a version such as 1.2.3 or 1.2.3-beta")
string(REGEX REPLACE "/+$" "" URL_BASE "${URL_BASE}")
require_form(URL_BASE "^https?://[^ \t\"'\\\\#?]+$"
             "an http or https URL without spaces, quotes, query or fragment")
require_form(REPOSITORY "^[A-Za-z0-9-]+/[A-Za-z0-9._-]+$" "a GitHub owner/name")
require_form(IDENTIFIER "^[A-Za-z0-9_-]+(\\.[A-Za-z0-9_-]+)+$"
             "a winget package identifier such as Publisher.Package")

# The zip holds one folder named after it, and the exe in that folder.
get_filename_component(zip_name "${ZIP_FILE}" NAME)
if(NOT zip_name STREQUAL "vantrel-${VERSION}-win64.zip")
  message(FATAL_ERROR "${zip_name} is not the release zip of version ${VERSION}")
endif()
get_filename_component(TOP "${zip_name}" NAME_WLE)
set(URL "${URL_BASE}/${zip_name}")
set(HOMEPAGE "https://github.com/${REPOSITORY}")
file(SHA256 "${ZIP_FILE}" SHA256)
string(TOUPPER "${SHA256}" SHA256_UPPER)

# A manifest of an earlier identifier must not stay beside the new one.
file(REMOVE_RECURSE "${OUTPUT_DIR}/winget" "${OUTPUT_DIR}/scoop")
set(templates "${CMAKE_CURRENT_LIST_DIR}/manifests")
foreach(pair
    "winget.version.yaml.in=winget/${IDENTIFIER}.yaml"
    "winget.installer.yaml.in=winget/${IDENTIFIER}.installer.yaml"
    "winget.locale.yaml.in=winget/${IDENTIFIER}.locale.en-US.yaml"
    "scoop.json.in=scoop/vantrel.json")
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 template)
  list(GET pair 1 output)
  configure_file("${templates}/${template}" "${OUTPUT_DIR}/${output}" @ONLY NEWLINE_STYLE LF)
endforeach()
message(STATUS "${OUTPUT_DIR}: the winget and Scoop manifests of ${zip_name}, from ${URL}")
