# Installs tsshogi into DIR with NPM. A failure (no network, no registry) is reported, not
# fatal: the cross-check then skips itself.
if(EXISTS ${DIR}/node_modules/tsshogi/package.json)
  return()
endif()
execute_process(COMMAND ${NPM} install --no-audit --no-fund --loglevel=error
  WORKING_DIRECTORY ${DIR} RESULT_VARIABLE result TIMEOUT 240)
if(NOT result EQUAL 0)
  message(WARNING "npm install of tsshogi failed (${result}); the cross-check will be skipped")
endif()
