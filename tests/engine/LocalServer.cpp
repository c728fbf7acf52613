#include "engine/LocalServer.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace {

struct TCertificate {
    EVP_PKEY *key = nullptr;
    X509 *cert = nullptr;
    ~TCertificate()
    {
        X509_free(cert);
        EVP_PKEY_free(key);
    }
};

void AddExtension(X509 *cert, int nid, const char *value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION *extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (!extension)
        throw std::runtime_error("cannot make a certificate extension");
    X509_add_ext(cert, extension, -1);
    X509_EXTENSION_free(extension);
}

// A self-signed certificate for 127.0.0.1, valid for a day around now.
void MakeCertificate(TCertificate &out)
{
    out.key = EVP_EC_gen("P-256");
    out.cert = X509_new();
    if (!out.key || !out.cert)
        throw std::runtime_error("cannot make a test key");
    X509_set_version(out.cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(out.cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(out.cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(out.cert), 86400);
    X509_set_pubkey(out.cert, out.key);
    X509_NAME *name = X509_get_subject_name(out.cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char *>("127.0.0.1"), -1,
                               -1, 0);
    X509_set_issuer_name(out.cert, name);
    AddExtension(out.cert, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(out.cert, NID_subject_alt_name, "IP:127.0.0.1");
    if (!X509_sign(out.cert, out.key, EVP_sha256()))
        throw std::runtime_error("cannot sign the test certificate");
}

QByteArray ToPem(X509 *cert)
{
    BIO *bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert);
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray pem(data, size);
    BIO_free(bio);
    return pem;
}

int BoundPort(int socket)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length);
    return ntohs(address.sin_port);
}

int LoopbackSocket()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (s < 0 || ::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot bind a loopback socket");
    return s;
}

} // namespace

TLocalServer::TLocalServer(Kind kind)
    : m_tls(kind == Tls)
{
    if (m_tls) {
        TCertificate certificate;
        MakeCertificate(certificate);
        m_certificatePem = ToPem(certificate.cert);
        m_server = std::make_unique<httplib::SSLServer>(certificate.cert, certificate.key);
    } else {
        m_server = std::make_unique<httplib::Server>();
    }
    if (!m_server->is_valid())
        throw std::runtime_error("the test server cannot start");
    // Pooled client connections each hold a server thread while they stay
    // open; enough threads and a short keep-alive keep new requests flowing.
    m_server->new_task_queue = [] { return new httplib::ThreadPool(64); };
    m_server->set_keep_alive_timeout(1);
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        throw std::runtime_error("the test server cannot bind");
    // The socket listens already: requests made before the thread runs wait
    // in the backlog.
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
}

TLocalServer::~TLocalServer()
{
    Stop();
}

void TLocalServer::Stop()
{
    if (!m_thread.joinable())
        return;
    m_server->stop();
    m_thread.join();
}

QString TLocalServer::Url(const QString &path) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(m_tls ? "https" : "http").arg(m_port).arg(path);
}

TSilentPort::TSilentPort()
{
    m_socket = LoopbackSocket();
    ::listen(m_socket, 64);
    m_port = BoundPort(m_socket);
}

TSilentPort::~TSilentPort()
{
    ::close(m_socket);
}

QString TSilentPort::Url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

int ClosedPort()
{
    const int s = LoopbackSocket();
    const int port = BoundPort(s);
    ::close(s);
    return port;
}
