// nodes7_check.js PORT: the nodes7 client writes flags, a flag bit, data block values and a
// REAL to vexal-plcsim and reads them back; exits 1 on a refusal or any difference.
const NodeS7 = require('nodes7');

const port = Number(process.argv[2]);
const values = {'MW10': 4660, 'M0.3': true, 'MB20': 200, 'DB1,INT2': -1234, 'DB1,REAL4': 2.5};

function fail(text) {
  console.log('FAIL: nodes7: ' + text);
  process.exit(1);
}
setTimeout(() => fail('no end within 20 s'), 20000).unref();

const link = new NodeS7({silent: true});
link.initiateConnection({port, host: '127.0.0.1', rack: 0, slot: 2, timeout: 5000}, (error) => {
  if (error) fail('connect: ' + error);
  link.setTranslationCB((tag) => tag);
  link.addItems(Object.keys(values));
  link.writeItems(Object.keys(values), Object.values(values), (refused) => {
    if (refused) fail('a write was refused');
    link.readAllItems((bad, read) => {
      if (bad) fail('a read was refused');
      for (const [item, value] of Object.entries(values)) {
        if (read[item] !== value) fail(`${item} read back ${read[item]}, written ${value}`);
      }
      console.log('nodes7: wrote and read back ' + Object.keys(values).join(', '));
      link.dropConnection(() => process.exit(0));
    });
  });
});
