// Checks glTF files with the Khronos glTF validator and prints one line per file:
// "<file>: <errors> errors, <warnings> warnings" followed by the error messages.
// Usage: node validate-gltf.js VALIDATOR_MODULE_DIR FILE...
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require(path.resolve(process.argv[2]));

async function check(file) {
  const data = new Uint8Array(fs.readFileSync(file));
  const report = await validator.validateBytes(data, {
    uri: path.basename(file),
    maxIssues: 50,
    externalResourceFunction: (uri) =>
      new Promise((resolve, reject) => {
        fs.readFile(path.resolve(path.dirname(file), decodeURIComponent(uri)), (err, bytes) =>
          err ? reject(err.toString()) : resolve(new Uint8Array(bytes)));
      }),
  });
  const issues = report.issues;
  console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings`);
  for (const m of issues.messages)
    if (m.severity === 0) console.log(`  ${m.code} ${m.pointer || ''}: ${m.message}`);
  return issues.numErrors;
}

(async () => {
  let errors = 0;
  for (const file of process.argv.slice(3)) errors += await check(file);
  process.exit(errors > 0 ? 1 : 0);
})().catch((e) => {
  console.log(`validator failed: ${e}`);
  process.exit(2);
});
