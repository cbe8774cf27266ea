// The editor's requests: POSTs of JSON to /api/NAME. The token travels in
// the cookie the printed address set. A request may come back with a message
// box a component raised; it is shown, and the answer is sent back until the
// request's own result arrives.

export class RequestError extends Error {
  constructor(status, body) {
    super(body && body.error ? body.error : `the editor answered ${status}`);
    this.status = status;
    this.body = body || {};
  }
}

let askUser = async (dialog) => dialog.defaultAnswer;
let tellUser = () => {};

// How message boxes are shown, and how notes (boxes the editor answered
// itself) are told.
export function setDialogHandlers(ask, tell) {
  askUser = ask;
  tellUser = tell;
}

async function send(name, body) {
  let response;
  try {
    response = await fetch(`/api/${name}`, {
      method: 'POST',
      headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify(body),
      credentials: 'same-origin',
    });
  } catch (error) {
    throw new RequestError(0, { error: 'the editor cannot be reached: is tidewise serve still running?' });
  }
  let json = {};
  try {
    json = await response.json();
  } catch (error) {
    json = { error: `the editor answered ${response.status} without JSON` };
  }
  return { status: response.status, body: json };
}

// Answers the boxes of one request until it is done; returns its last answer.
async function answerDialogs(reply) {
  while (reply.status === 200 && reply.body.dialog) {
    const dialog = reply.body.dialog;
    const answer = await askUser(dialog);
    reply = await send('answer', { call: dialog.call, dialog: dialog.id, answer });
  }
  return reply;
}

export async function call(name, body = {}) {
  for (let attempt = 0; ; attempt++) {
    let reply = await answerDialogs(await send(name, body));
    if (reply.body.notes) tellUser(reply.body.notes);
    if (reply.status === 409 && reply.body.busy && attempt < 3) {
      // Another request waits in a message box: answer it here, then ask again.
      const dialog = reply.body.dialog;
      const answer = await askUser(dialog);
      const other = await answerDialogs(await send('answer', { call: dialog.call, dialog: dialog.id, answer }));
      if (other.body.notes) tellUser(other.body.notes);
      continue;
    }
    if (reply.status !== 200) throw new RequestError(reply.status, reply.body);
    return reply.body;
  }
}
