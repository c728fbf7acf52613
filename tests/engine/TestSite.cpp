#include "engine/TestSite.h"

#include <chrono>

TTestSite::TTestSite()
    : TTestSite(TLocalServer::Plain)
{
}

TTestSite::TTestSite(TLocalServer::Kind kind)
    : m_server(kind)
{
    m_server.Http().Get(".*", [this](const httplib::Request &request, httplib::Response &response) {
        Serve(request, response);
    });
}

TTestSite::~TTestSite()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_closing = true;
    }
    m_released.notify_all();
    m_server.Stop();
}

void TTestSite::Add(const QString &target, Resource resource)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_resources.insert(target, std::move(resource));
}

void TTestSite::Page(const QString &target, const QByteArray &html)
{
    Resource resource;
    resource.body = html;
    resource.contentType = "text/html";
    Add(target, resource);
}

void TTestSite::File(const QString &target, const QByteArray &body, bool announceLength)
{
    Resource resource;
    resource.body = body;
    resource.announceLength = announceLength;
    Add(target, resource);
}

void TTestSite::Status(const QString &target, int status, const QString &location)
{
    Resource resource;
    resource.status = status;
    resource.location = location;
    resource.body = "status page";
    Add(target, resource);
}

void TTestSite::Lying(const QString &target, qint64 announced, const QByteArray &body, bool announceLength)
{
    Resource resource;
    resource.body = body;
    resource.announced = announced;
    resource.announceLength = announceLength;
    Add(target, resource);
}

void TTestSite::RefuseHead(const QString &target, int status)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_resources[target].headStatus = status;
}

void TTestSite::Streamed(const QString &target, qint64 size)
{
    Resource resource;
    resource.streamed = size;
    Add(target, resource);
}

qint64 TTestSite::SentBytes(const QString &target) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_sent.value(target);
}

void TTestSite::Held(const QString &target, const QByteArray &body, qint64 first)
{
    Resource resource;
    resource.body = body;
    resource.heldAt = first;
    resource.released = false;
    Add(target, resource);
}

void TTestSite::Release(const QString &target)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_resources[target].released = true;
    }
    m_released.notify_all();
}

void TTestSite::OnRequest(const QString &target, std::function<void()> hook)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_resources[target].hook = std::move(hook);
}

void TTestSite::Require(const QString &header, const QString &value, int status)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_requiredHeader = header.toStdString();
    m_requiredValue = value.toStdString();
    m_refusal = status;
}

QStringList TTestSite::Requests() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

QString TTestSite::AuthorizationOf(const QString &target) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_authorizations.value(target);
}

int TTestSite::RequestCount(const QString &target) const
{
    int count = 0;
    for (const QString &request : Requests())
        count += request.section(QLatin1Char(' '), 1) == target;
    return count;
}

void TTestSite::Serve(const httplib::Request &request, httplib::Response &response)
{
    const QString target = QString::fromStdString(request.target);
    Resource resource;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_requests << QString::fromStdString(request.method) + QLatin1Char(' ') + target;
        m_authorizations[target] = QString::fromStdString(request.get_header_value("Authorization"));
        if (m_refusal && request.get_header_value(m_requiredHeader) != m_requiredValue) {
            response.status = m_refusal;
            return;
        }
        if (!m_resources.contains(target)) {
            response.status = 404;
            return;
        }
        resource = m_resources.value(target);
    }
    if (resource.hook && request.method == "GET")
        resource.hook();
    if (request.method == "HEAD" && resource.headStatus != 0) {
        response.status = resource.headStatus;
        return;
    }
    response.status = resource.status;
    if (!resource.location.isEmpty())
        response.set_header("Location", resource.location.toStdString());
    const std::string type = resource.contentType.toStdString();
    const auto body = std::make_shared<std::string>(resource.body.toStdString());
    if (request.method == "HEAD" && resource.announced >= 0) {
        response.set_content_provider(size_t(resource.announced), type,
                                      [](size_t, size_t, httplib::DataSink &) { return false; });
        return;
    }
    if (resource.streamed >= 0) {
        const qint64 size = resource.streamed;
        response.set_content_provider(size_t(size), type,
                                      [this, size, target](size_t offset, size_t, httplib::DataSink &sink) {
            static const std::string step(64 * 1024, 'p');
            const size_t bytes = qMin<size_t>(step.size(), size_t(size) - offset);
            if (!sink.write(step.data(), bytes))
                return false;
            std::lock_guard<std::mutex> guard(m_lock);
            m_sent[target] += qint64(bytes);
            return true;
        });
        return;
    }
    if (!resource.announceLength) {
        response.set_chunked_content_provider(type, [body](size_t offset, httplib::DataSink &sink) {
            if (offset < body->size())
                sink.write(body->data() + offset, qMin<size_t>(4096, body->size() - offset));
            else
                sink.done();
            return true;
        });
        return;
    }
    if (resource.heldAt < 0) {
        response.set_content(*body, type);
        return;
    }
    const size_t heldAt = size_t(resource.heldAt);
    response.set_content_provider(body->size(), type,
                                  [this, body, heldAt, target](size_t offset, size_t, httplib::DataSink &sink) {
        if (offset < heldAt)
            return sink.write(body->data() + offset, heldAt - offset);
        std::unique_lock<std::mutex> guard(m_lock);
        while (!m_closing && !m_resources.value(target).released) {
            if (!sink.is_writable())
                return false;
            m_released.wait_for(guard, std::chrono::milliseconds(50));
        }
        guard.unlock();
        if (m_closing)
            return false;
        return sink.write(body->data() + offset, body->size() - offset);
    });
}
