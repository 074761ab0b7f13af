#pragma once

// Ends every connection of this process that a server listening on port has
// accepted. httplib waits out its keep-alive time on an idle connection before it
// stops, and a client that keeps its connections open, as the listing fetch does,
// would hold a stopping server that long: call it after the server's stop(), or
// while it runs to close what clients keep, as a site does with idle connections.
void EndConnectionsAcceptedOn(int port);
